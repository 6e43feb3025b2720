#include "engine/inventory.h"

#include <new>

#include "engine/diagnostics.h"
#include "engine/folder_listing.h"
#include "engine/format/entry_name.h"
#include "engine/format/package_format.h"
#include "engine/format/package_layout.h"
#include "engine/format/package_reader.h"
#include "engine/host_paths.h"
#include "engine/host_plan.h"
#include "engine/probe_binding.h"

namespace {

bool BuildLists(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts) {
  std::wstring corePath;
  if (!GetDBCorePath(corePath)) {
    TraceDiagnostic(L"InitFileLists-1: get dbcore path fail" + corePath);
    return false;
  }
  if (!InitDBCore(corePath.c_str())) {
    // Without the core every installed file keeps a zero date; the lists are built all the same.
    TraceDiagnostic(L"InitFileLists-2: init dbcore fail" + corePath);
  }
  if (!ReadPackageFiles(packageFiles)) {
    TraceDiagnostic(L"InitFileLists-3: read dir fail");
    return false;
  }
  if (!ReadInstalledDicts(installedDicts)) {
    TraceDiagnostic(L"InitFileLists-4: read loc .dic fail");
    return false;
  }
  if (!AnalyseInHost(packageFiles, installedDicts)) {
    TraceDiagnostic(L"InitFileLists-5: Analyse fail");
    return false;
  }
  return true;
}

}  // namespace

bool BuildInventory(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts) {
  try {
    return BuildLists(packageFiles, installedDicts);
  } catch (const std::bad_alloc&) {
    // A package too large for this process's memory fails the check like a damaged one.
    TraceDiagnostic(L"InitFileLists-6: out of memory");
    return false;
  }
}

bool ReadPackageFiles(std::vector<PackageFile>& list) {
  std::wstring folder;
  if (!GetModuleDir(folder)) {
    TraceDiagnostic(L"ReadDirFilesInfo-1: get mod path fail:" + folder);
    return false;
  }
  ClearPackageFiles(list);

  bool ok = true;
  ListFolderFiles(folder + L"\\*" + kContainerExtension, [&](const ListedFile& listed) {
    PackageFile file;
    file.size = static_cast<uint32_t>(listed.size);
    file.fileName = listed.name;
    file.path = listed.fullPath;
    list.push_back(std::move(file));
    ok = ReadPackageFile(list.back());
    return ok;
  });
  return ok;
}

bool ReadPackageFile(PackageFile& file) {
  CPackageReader reader;
  if (!reader.Open(file.path.c_str()) || !HasPlainFileNames(reader)) {
    TraceDiagnostic(L"ReadDFFileInfo-1: init fail:" + file.path);
    reader.Close();
    file.entries.reset();
    return false;
  }
  const uint32_t count = reader.EntryCount();
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

bool ReadInstalledDicts(std::vector<InstalledDict>& list) {
  std::wstring folder;
  if (!GetDictDataDir(folder, false)) {
    TraceDiagnostic(L"ReadLocalDictFilesInfo-1: fail: " + folder);
    return false;
  }
  list.clear();

  // A backup or new copy left beside a file by an interrupted run changes nothing here: a file under
  // a dictionary's own name is always complete, and the run repairs the rest when it starts.
  ListFolderFiles(folder + L"\\*.*", [&](const ListedFile& listed) {
    InstalledDict dict;
    dict.fileName = LowerAsciiLetters(listed.name);
    const size_t dot = dict.fileName.rfind(L'.');
    if (dot != std::wstring::npos) {
      dict.stem = dict.fileName.substr(0, dot);
      dict.ext = dict.fileName.substr(dot);
    }
    if (dict.ext != L".dic" && dict.ext != L".dip") return true;
    dict.path = listed.fullPath;
    dict.size = static_cast<uint32_t>(listed.size);
    dict.readOnly = (listed.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    list.push_back(std::move(dict));
    return true;
  });

  // Bound once: a probe that cannot be loaded is not tried again for every file.
  const bool bound = list.empty() || BindVersionProbe();
  for (InstalledDict& dict : list) {
    if (!bound || !GetProbeBinding().get_dict_datetime(dict.path.c_str(), &dict.date)) {
      TraceDiagnostic(L"ReadLocalDictFilesInfo-2: GetDictDateTime: " + dict.path);
    }
  }
  return true;
}
