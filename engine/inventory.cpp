// The inventory: the package containers beside the wizard with their entry tables, and the
// dictionary files installed in the host with their date stamps; then the plan on both.
#include <unordered_set>

#include "engine/diagnostics.h"
#include "engine/entry_name.h"
#include "engine/folder_listing.h"
#include "engine/host_paths.h"
#include "engine/install_engine.h"
#include "engine/package_format.h"
#include "engine/package_layout.h"
#include "engine/package_reader.h"
#include "engine/probe_binding.h"
#include "engine/replace_file.h"

bool InstallEngine::InitFileLists() {
  std::wstring corePath;
  if (!GetDBCorePath(corePath)) {
    TraceDiagnostic(L"InitFileLists-1: get dbcore path fail" + corePath);
    return false;
  }
  if (!InitDBCore(corePath.c_str())) {
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
  if (!Analyse(packageFiles, installedDicts)) {
    TraceDiagnostic(L"InitFileLists-5: Analyse fail");
    return false;
  }
  return true;
}

bool InstallEngine::ReadDirFilesInfo(std::vector<PackageFile>& list) {
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
    ok = ReadDFFileInfo(list.back());
    return ok;
  });
  return ok;
}

bool InstallEngine::ReadDFFileInfo(PackageFile& file) {
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

bool InstallEngine::ReadLocalDictFilesInfo(std::vector<InstalledDict>& list) {
  std::wstring folder;
  if (!GetDictDataDir(folder, false)) {
    TraceDiagnostic(L"ReadLocalDictFilesInfo-1: fail: " + folder);
    return false;
  }
  list.clear();

  // Backups that an interrupted upgrade left beside their file, by the file's lower-cased name.
  // They come from the same listing: asking the file system for each file's backup by name
  // would make it search the folder once per file.
  const std::wstring suffix = LowerAsciiLetters(kBackupSuffix);
  std::unordered_set<std::wstring> backedUp;
  ListFolderFiles(folder + L"\\*.*", [&](const ListedFile& listed) {
    InstalledDict dict;
    dict.fileName = LowerAsciiLetters(listed.name);
    const size_t dot = dict.fileName.rfind(L'.');
    if (dot != std::wstring::npos) {
      dict.stem = dict.fileName.substr(0, dot);
      dict.ext = dict.fileName.substr(dot);
    }
    if (dict.fileName.size() > suffix.size() &&
        dict.fileName.compare(dict.fileName.size() - suffix.size(), suffix.size(), suffix) == 0) {
      backedUp.insert(dict.fileName.substr(0, dict.fileName.size() - suffix.size()));
    }
    if (dict.ext != L".dic" && dict.ext != L".dip") return true;
    dict.path = listed.fullPath;
    dict.size = static_cast<uint32_t>(listed.size);
    dict.readOnly = (listed.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    list.push_back(std::move(dict));
    return true;
  });

  for (InstalledDict& dict : list) {
    // A backup beside the file means an earlier run ended in the middle of replacing it: the file
    // may be partly written, so its stamp is not trusted and the package's copy wins.
    if (backedUp.count(dict.fileName) != 0) {
      TraceDiagnostic(L"ReadLocalDictFilesInfo-3: interrupted upgrade: " + dict.path);
    } else if (!BindVersionProbe() || !GetProbeBinding().get_dict_datetime(dict.path.c_str(), &dict.date)) {
      TraceDiagnostic(L"ReadLocalDictFilesInfo-2: GetDictDateTime: " + dict.path);
    }
  }
  return true;
}
