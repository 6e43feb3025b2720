#include "engine/inventory/inventory.h"

#include <map>
#include <new>

#include "engine/diagnostics.h"
#include "engine/folder_listing.h"
#include "engine/format/bitmap_header.h"
#include "engine/format/entry_name.h"
#include "engine/format/package_format.h"
#include "engine/format/package_layout.h"
#include "engine/format/package_reader.h"
#include "engine/format/profile_text.h"
#include "engine/host_paths.h"
#include "engine/inventory/package_seal.h"
#include "engine/inventory/pinned_file.h"
#include "engine/inventory/probe_binding.h"
#include "engine/plan/install_plan.h"
#include "engine/plan/package_limits.h"

namespace {

// A dictconfig.ini larger than this is no package's description: it is not read.
constexpr uint64_t kMostDescriptionBytes = 16 * 1024 * 1024;

// What the plan asks of the real host: its dictionary data folder and the bound version probe.
class HostPlanServices final : public PlanHost {
 public:
  bool GetDictDataDir(std::wstring& dir) override { return ::GetDictDataDir(dir, true); }
  bool ProbeAvailable() override { return BindVersionProbe(); }
  bool StringToDate(wchar_t* text, DictDate* date) override { return GetProbeBinding().string_to_date(text, date); }
  int CompareDate(const DictDate* first, const DictDate* second) override {
    return GetProbeBinding().compare_date(first, second);
  }
};

// dictconfig.ini, read once through its held handle; false when none may be used (a refusal traced).
bool ReadDescription(std::shared_ptr<ByteSource>& held, std::optional<ProfileText>& description) {
  PinnedFile pinned;
  std::wstring why;
  if (const PinOutcome pin = PinPackageFile(kPackageConfigFileName, pinned, why); pin != PinOutcome::Pinned) {
    if (pin != PinOutcome::Missing) TraceDiagnostic(L"ReadDescription-1: dictconfig.ini not used: " + why);
    return false;
  }
  if (!SealAdmitsFile(kPackageConfigFileName, *pinned.source)) return false;  // refuses the package
  std::string bytes;
  if (!ReadWholeSource(*pinned.source, kMostDescriptionBytes, bytes)) {
    TraceDiagnostic(L"ReadDescription-2: dictconfig.ini not used: unreadable or too large");
    return false;
  }
  description.emplace(DecodeProfileBytes(bytes));
  held = std::move(pinned.source);
  return true;
}

// The image of a planned entry's id, held open; none when missing, refused or not a BMP.
std::shared_ptr<ByteSource> HoldImage(const std::wstring& id) {
  const std::wstring name = std::wstring(kPackageImageFolder) + L"\\" + id + kDictImageExtension;
  PinnedFile pinned;
  std::wstring why;
  if (const PinOutcome pin = PinPackageFile(name, pinned, why); pin != PinOutcome::Pinned) {
    if (pin != PinOutcome::Missing) TraceDiagnostic(L"HoldImage-1: image not used: " + name + L": " + why);
    return nullptr;
  }
  if (!SealAdmitsFile(name, *pinned.source)) return nullptr;  // refuses the package
  if (!IsCopiedBitmap(*pinned.source)) {
    TraceDiagnostic(L"HoldImage-2: image not used: " + name + L": not a BMP file");
    return nullptr;
  }
  pinned.source->ReleaseReadAhead();  // held until the run copies it
  return std::move(pinned.source);
}

// A lower-cased file name of an installed dictionary: a dictionary's extension after its last dot.
bool IsInstalledDictName(const std::wstring& lowered) {
  const size_t dot = lowered.rfind(L'.');
  return dot != std::wstring::npos && IsDictFileExt(lowered.substr(dot));
}

// The record of a dictionary named `name` at `path`, sized and flagged as `listed` shows.
InstalledDict InstalledRecord(const std::wstring& name, const std::wstring& path, const ListedFile& listed) {
  InstalledDict dict;
  dict.fileName = LowerAsciiLetters(name);
  const size_t dot = dict.fileName.rfind(L'.');
  dict.stem = dict.fileName.substr(0, dot);
  dict.ext = dict.fileName.substr(dot);
  dict.path = path;
  dict.size = static_cast<uint32_t>(listed.size);
  dict.readOnly = (listed.attributes & FILE_ATTRIBUTE_READONLY) != 0;
  return dict;
}

}  // namespace

bool AnalyseInHost(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed) {
  HostPlanServices services;
  return AnalysePlan(files, installed, services);
}

void HoldPackageFiles(std::vector<PackageFile>& packageFiles, std::shared_ptr<ByteSource>& heldDescription) {
  std::optional<ProfileText> description;
  ReadDescription(heldDescription, description);
  std::map<std::wstring, std::shared_ptr<ByteSource>> images;  // by id: each image held once
  for (PackageFile& file : packageFiles) {
    if (!file.entries) continue;
    for (PackageEntry& entry : *file.entries) {
      if (!IsPlanned(entry) || entry.id.empty()) continue;
      if (description) {
        std::vector<std::wstring> values;
        for (const wchar_t* key : kCopiedConfigKeys) {
          values.push_back(description->Value(entry.id, key).substr(0, kConfigValueChars - 1));
        }
        entry.description = std::move(values);
      }
      const auto held = images.find(entry.id);
      entry.image = held != images.end() ? held->second : (images[entry.id] = HoldImage(entry.id));
    }
  }
}

bool InitFileLists(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts,
                   std::shared_ptr<ByteSource>& heldDescription) {
  try {
    std::wstring corePath;
    if (!GetDBCorePath(corePath)) {
      TraceDiagnostic(L"InitFileLists-1: get dbcore path fail" + corePath);
      return false;
    }
    if (!InitDBCore(corePath.c_str())) {
      if (ProbeLibraryRefused()) {
        TraceDiagnostic(L"InitFileLists-7: version probe library refused");
        return false;
      }
      // Without the core every installed file keeps a zero date; the lists are built all the same.
      TraceDiagnostic(L"InitFileLists-2: init dbcore fail" + corePath);
    }
    if (!ReadDirFilesInfo(packageFiles)) {
      TraceDiagnostic(L"InitFileLists-3: read dir fail");
      return false;
    }
    if (!ReadLocalDictFilesInfo(installedDicts)) {
      TraceDiagnostic(L"InitFileLists-4: read loc .dic fail");
      return false;
    }
    if (!AnalyseInHost(packageFiles, installedDicts)) {
      TraceDiagnostic(L"InitFileLists-5: Analyse fail");
      return false;
    }
    std::wstring why;
    if (!PackageWithinLimits(packageFiles.size(), static_cast<size_t>(CountPlannedItems(packageFiles)), why)) {
      TraceDiagnostic(L"InitFileLists-9: the package asks too much of one run: " + why);
      return false;
    }
    HoldPackageFiles(packageFiles, heldDescription);
    if (!SealHolds()) {
      TraceDiagnostic(L"InitFileLists-8: the package is not as its publisher sealed it");
      return false;
    }
    const SealSummary seal = GetSealSummary();
    if (seal.sealed) {
      TraceDiagnostic(L"InitFileLists: sealed package: " + std::to_wstring(seal.listed) + L" files listed, " +
                      std::to_wstring(seal.matched) + L" read, each as sealed");
    }
    return true;
  } catch (const std::bad_alloc&) {
    // A package too large for this process's memory fails the check like a damaged one.
    TraceDiagnostic(L"InitFileLists-6: out of memory");
    return false;
  }
}

bool ReadDirFilesInfo(std::vector<PackageFile>& list) {
  std::wstring folder;
  if (!GetModuleDir(folder)) {
    TraceDiagnostic(L"ReadDirFilesInfo-1: get mod path fail:" + folder);
    return false;
  }
  ClearPackageFiles(list);

  bool ok = true;
  // Listed by name, opened in the held folder (pinned_file.h); the size counted is the held file's.
  ListFolderFiles(folder + L"\\*" + kContainerExtension, [&](const ListedFile& listed) {
    // One container past the cap ends the listing before it is opened.
    std::wstring refusal;
    if (!PackageWithinLimits(list.size() + 1, 0, refusal)) {
      TraceDiagnostic(L"ReadDirFilesInfo-4: the package asks too much of one run: " + refusal);
      ok = false;
      return false;
    }
    PackageFile file;
    file.size = static_cast<uint32_t>(listed.size);
    file.fileName = listed.name;
    file.path = listed.fullPath;
    PinnedFile pinned;
    std::wstring why;
    uint64_t heldSize = 0;
    if (PinPackageFile(listed.name, pinned, why) != PinOutcome::Pinned) {
      TraceDiagnostic(L"ReadDirFilesInfo-2: container refused: " + listed.fullPath + L": " + why);
    } else if (!SealAdmitsFile(listed.name, *pinned.source)) {
      TraceDiagnostic(L"ReadDirFilesInfo-3: container refused: " + listed.fullPath + L": not as sealed");
    } else {
      if (pinned.source->Size(heldSize)) file.size = static_cast<uint32_t>(heldSize);
      file.data = std::move(pinned.source);
    }
    list.push_back(std::move(file));
    ok = ReadDFFileInfo(list.back());
    return ok;
  });
  return ok;
}

bool ReadDFFileInfo(PackageFile& file) {
  CPackageReader reader;
  const auto refuse = [&](const std::wstring& why) {
    TraceDiagnostic(why);
    reader.Close();
    file.entries.reset();
    file.data.reset();  // nothing will be read from it
    return false;
  };
  if (!reader.OpenSource(file.data) || !HasPlainFileNames(reader)) {
    return refuse(L"ReadDFFileInfo-1: init fail:" + file.path);
  }
  const uint32_t count = reader.EntryCount();
  // Data the container does not hold would fail only at the entry's last chunk, after the old
  // copy's backup was made: such a container is refused before any page.
  for (uint32_t i = 0; i < count; ++i) {
    if (EntryDataRange(reader.Header(), reader.Entry(i)).end > reader.FileSize()) {
      return refuse(L"ReadDFFileInfo-2: entry " + std::to_wstring(i + 1) + L"'s data end beyond the container: " +
                    file.path);
    }
  }
  if (count == 0) {
    reader.Close();
    return true;
  }
  std::vector<PackageEntry> entries;
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const PackageTableEntry& record = reader.Entry(i);
    PackageEntry entry;
    entry.index = i;
    entry.size = record.size;
    entry.id = LowerAsciiLetters(FieldText(record.id, kEntryIdUnits));
    entry.ext = LowerAsciiLetters(FieldText(record.ext, kEntryExtUnits));
    entry.title = FieldText(record.title, kEntryTitleUnits);
    entry.date = FieldText(record.date, kEntryDateUnits);
    entries.push_back(std::move(entry));
  }
  reader.Close();
  file.entries = std::move(entries);
  return true;
}

bool ReadLocalDictFilesInfo(std::vector<InstalledDict>& list) {
  std::wstring folder;
  if (!GetDictDataDir(folder, false)) {
    TraceDiagnostic(L"ReadLocalDictFilesInfo-1: fail: " + folder);
    return false;
  }
  list.clear();

  std::vector<ListedFile> listedFiles;
  ListFolderFiles(folder + L"\\*.*", [&](const ListedFile& listed) {
    listedFiles.push_back(listed);
    return true;
  });

  // A run cut off leaves a backup (name + kBackupSuffix) beside the dictionary, both then dated for
  // the plan to weigh, or in its place, listed as the dictionary the next repair makes it again.
  std::map<std::wstring, size_t> byName;  // fileName -> position in list
  std::vector<const ListedFile*> backups;
  for (const ListedFile& listed : listedFiles) {
    const std::wstring lowered = LowerAsciiLetters(listed.name);
    if (IsInstalledDictName(lowered)) {
      byName.emplace(lowered, list.size());
      list.push_back(InstalledRecord(listed.name, listed.fullPath, listed));
    } else if (IsBackupName(lowered) && IsInstalledDictName(OwnNameOf(lowered)) &&
               (listed.attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0) {
      backups.push_back(&listed);
    }
  }
  for (const ListedFile* backup : backups) {
    const std::wstring own = OwnNameOf(backup->name);
    const auto found = byName.find(LowerAsciiLetters(own));
    if (found != byName.end()) {
      list[found->second].backupPath = backup->fullPath;
      list[found->second].backupBeside = true;
      continue;
    }
    byName.emplace(LowerAsciiLetters(own), list.size());
    list.push_back(InstalledRecord(own, OwnNameOf(backup->fullPath), *backup));
    list.back().backupPath = backup->fullPath;
  }

  // Bound once: a probe that cannot be loaded is not tried again for every file.
  const bool bound = list.empty() || BindVersionProbe();
  const auto readDate = [bound](const std::wstring& path, DictDate& date) {
    if (bound && GetProbeBinding().get_dict_datetime(path.c_str(), &date)) return true;
    date = DictDate{0, 0, 0, 0};
    TraceDiagnostic(L"ReadLocalDictFilesInfo-2: GetDictDateTime: " + path);
    return false;
  };
  for (InstalledDict& dict : list) {
    const bool lone = !dict.backupPath.empty() && !dict.backupBeside;
    dict.dateRead = readDate(lone ? dict.backupPath : dict.path, dict.date);
    if (dict.backupBeside) readDate(dict.backupPath, dict.backupDate);
  }
  return true;
}
