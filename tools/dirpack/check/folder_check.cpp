#include "tools/dirpack/check/folder_check.h"

#include <cstdio>

#include "engine/format/entry_name.h"
#include "engine/format/package_format.h"
#include "engine/format/package_reader.h"
#include "engine/format/utf8_text.h"
#include "probe/date_text.h"
#include "tools/dirpack/check/description_check.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/check/program_machine.h"
#include "tools/dirpack/check/seal_check.h"
#include "tools/dirpack/entry_problems.h"
#include "tools/dirpack/file_system.h"
#include "tools/dirpack/package_check.h"

namespace {

const char kRebuild[] = "rebuild it with dirpack create";
const char kStops[] = "the wizard then stops at start-up with \"fail\" and installs nothing";

// The entries of every container, judged together: the wizard installs them all into one folder.
struct PackageEntries {
  struct First {
    std::wstring container;
    std::string label;
  };
  EntryProblems problems;
  std::vector<First> firsts;  // by the positions noted in problems
};

std::string NameFault(const std::wstring& id, const std::wstring& ext, const RefusedNames& refused) {
  std::string fault;
  if (refused.id) fault = "id \"" + DisplayUnits(id) + "\"";
  if (refused.ext) fault += (fault.empty() ? "" : " and ") + ("extension \"" + DisplayUnits(ext) + "\"");
  return fault;
}

// The plan parses the date only when the dictionary is installed already; one that does not
// parse makes the package's copy win against any installed one.
void CheckDate(const PackageTableEntry& record, const std::string& file, const std::string& label,
               FolderReport& report) {
  const std::wstring date = FieldText(record.date, kEntryDateUnits);
  std::wstring buffer = date;  // the parse rewrites its text
  DictDate parsed = {0, 0, 0, 0};
  if (ParseDateText(&buffer[0], &parsed)) return;
  report.Add(Severity::Warning, file, "date-unparsed",
             label + ": " + (date.empty() ? "no date" : "date \"" + DisplayUnits(date) + "\" does not parse") +
                 ", so the wizard replaces an installed copy whatever its date, even a newer one — write it as "
                 "year.month.day, such as 2024.05.01, and " +
                 kRebuild);
}

void CheckContainer(const std::wstring& folder, const std::wstring& name, std::vector<PackagedDict>& dicts,
                    PackageEntries& entries, FolderReport& report) {
  const std::string file = PathToUtf8(name);
  const std::wstring path = JoinPath(folder, name);
  CPackageReader reader;
  std::string why;
  if (!OpenPackage(reader, path, why)) {
    report.Add(Severity::Error, file, "container-refused",
               "the wizard cannot open it: " + why + "; " + kStops + " — " + kRebuild);
    return;
  }
  for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
    const PackageTableEntry& record = reader.Entry(i);
    const std::string label = EntryLabel(reader, i);
    const std::wstring id = FieldText(record.id, kEntryIdUnits), ext = FieldText(record.ext, kEntryExtUnits);
    const RefusedNames refused = EntryProblems::NamesRefused(id, ext);
    if (refused.id || refused.ext) {
      report.Add(Severity::Error, file, "name-refused",
                 label + ": the wizard refuses its " + NameFault(id, ext, refused) +
                     " (not a plain file name) and with it the whole container; " + kStops +
                     " — choose a plain name (dirpack --help lists the rules) and " + kRebuild);
      continue;
    }
    if (refused.kind) {
      report.Add(Severity::Error, file, "extension-refused",
                 label + ": the wizard refuses its extension \"" + DisplayUnits(ext) + "\" (" +
                     kOnlyDictionariesInstall + ") and with it the whole container; " + kStops +
                     " — pack only dictionary files and " + kRebuild);
      continue;
    }
    dicts.push_back({LowerAsciiLetters(id), label + " of " + file});
    CheckDate(record, file, label, report);

    size_t earlier = 0;
    if (entries.problems.NoteFile(id, ext, entries.firsts.size(), earlier)) {
      entries.firsts.push_back({name, label});
    } else {
      const PackageEntries::First& first = entries.firsts[earlier];
      const std::string other =
          first.label + (first.container == name ? std::string() : " of " + PathToUtf8(first.container));
      report.Add(Severity::Warning, file, "duplicate-key",
                 label + ": installs the same file as " + other +
                     ", so both get the same decision and the same target and the last one copied wins — keep the "
                     "dictionary in one container only");
    }
  }
  // The reader may accept what installing still fails on: data beyond the end, a data area over the table.
  PackageReport data;
  if (HasPlainFileNames(reader) && !CheckPackage(path, true, data)) {
    for (const std::string& problem : data.problems) {
      report.Add(Severity::Error, file, "container-damaged", problem + "; installing from it would fail — " + kRebuild);
    }
  }
}

struct Deliverable {
  const wchar_t* name;
  const char* whenMissing;  // what users lose
  const char* whenWrong;    // what happens with a build for another machine
};

const Deliverable kDeliverables[] = {
    {L"pakorra.exe", "users have no wizard to run",
     "32-bit Windows cannot run it, and it cannot load the 32-bit vintora.dll"},
    {L"vintora.dll", "the wizard reads no installed dictionary's date and replaces every installed copy",
     "the 32-bit pakorra.exe cannot load it, so the wizard reads no installed dictionary's date and replaces every "
     "installed copy"},
};

void CheckDeliverable(const std::wstring& folder, const Deliverable& deliverable, FolderReport& report) {
  const std::string file = PathToUtf8(deliverable.name);
  const std::string ship = "ship the 32-bit build's build/win32/bin/" + file;
  std::wstring path;
  const FolderItem item = FindFolderItem(folder, deliverable.name, path);
  if (item != FolderItem::File) {
    report.Add(Severity::Error, file, "program-missing",
               std::string(item == FolderItem::Missing ? "missing" : "not a file") + ", so " + deliverable.whenMissing +
                   " — " + ship + " beside the containers");
    return;
  }
  uint16_t machine = 0;
  switch (ReadProgramMachine(path, machine)) {
    case ProgramRead::CannotRead:
      report.Add(Severity::Error, file, "program-unreadable", "cannot be read — " + ship);
      return;
    case ProgramRead::NotProgram:
      report.Add(Severity::Error, file, "program-not-pe", "not a Windows program (no PE header) — " + ship);
      return;
    case ProgramRead::Read:
      break;
  }
  if (machine == kMachineI386) return;
  char found[80];
  std::snprintf(found, sizeof(found),
                machine == kMachineAmd64 ? "the 64-bit (x86-64, machine 0x%04X) build"
                                         : "built for machine 0x%04X, not 32-bit x86 (0x014C)",
                static_cast<unsigned>(machine));
  report.Add(Severity::Error, file, "program-not-32-bit",
             std::string(found) + ": " + deliverable.whenWrong + " — " + ship + " instead");
}

bool WizardIsSigned(const std::wstring& folder) {
  std::wstring path;
  uint32_t size = 0;
  if (FindFolderItem(folder, kDeliverables[0].name, path) != FolderItem::File) return false;
  return (ReadProgramSignatureSize(path, size) == ProgramRead::Read && size > 0) || ProgramBuiltForCertificate(path);
}

}  // namespace

void CheckPackageFolder(const std::wstring& folder, FolderReport& report) {
  if (!IsFolder(folder)) {
    report.Add(Severity::Error, PathToUtf8(folder), "folder-missing",
               "not a folder — give the folder that holds the containers and pakorra.exe");
    return;
  }
  const std::vector<std::wstring> containers = ListContainerNames(folder);
  if (containers.empty()) {
    report.Add(Severity::Error, "*.dir", "no-container",
               "no container beside pakorra.exe, so the wizard has nothing to install — put the package's .dir "
               "files (made with dirpack create) in the folder");
  }
  std::vector<PackagedDict> dicts;
  PackageEntries entries;
  for (const std::wstring& name : containers) CheckContainer(folder, name, dicts, entries, report);
  CheckPackageDescription(folder, dicts, report);
  for (const Deliverable& deliverable : kDeliverables) CheckDeliverable(folder, deliverable, report);
  CheckPackageSeal(folder, WizardIsSigned(folder), report);
}
