// dirpack: the package publisher's tool. Makes, lists, verifies and unpacks containers, and seals
// and checks a finished package folder.
#include <exception>
#include <string>
#include <vector>

#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "pakorra_version.h"
#include "tools/dirpack/check/folder_check.h"
#include "tools/dirpack/check/folder_report.h"
#include "tools/dirpack/console.h"
#include "tools/dirpack/manifest.h"
#include "tools/dirpack/package_check.h"
#include "tools/dirpack/package_extract.h"
#include "tools/dirpack/package_listing.h"
#include "tools/dirpack/package_seal.h"
#include "tools/dirpack/package_writer.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // invalid container, refused input or folder, failed read or write
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: dirpack create OUT.dir [-m MANIFEST]... [-e FILE ID EXT DATE TITLE]...\n"
    "       dirpack list PKG.dir\n"
    "       dirpack verify PKG.dir\n"
    "       dirpack extract PKG.dir FOLDER\n"
    "       dirpack seal FOLDER\n"
    "       dirpack check FOLDER [--json]\n"
    "       dirpack --help\n"
    "       dirpack --version";

const char kHelp[] =
    "dirpack makes, lists, verifies and unpacks dictionary package containers (.dir), and seals\n"
    "and checks package folders.\n"
    "\n"
    "create   packs dictionary files, in the order given, into OUT.dir. Each file's entry\n"
    "         carries an id (the installed file's base name, at most 31 characters), an\n"
    "         extension \".dic\" or \".dip\" (the only ones the wizard installs, in any\n"
    "         case), a date stamp text such as \"2024.05.01\" (at most 15) and a title\n"
    "         (at most 31). Lengths count UTF-16 units: most Chinese\n"
    "         characters count one. Ids and extensions must be plain file names: no path\n"
    "         separators, \"..\", \":\", control characters or <>\"|?*, no trailing dot or\n"
    "         space, no device name such as CON, NUL, COM1 or LPT1; ids also no \"[\" or \"]\"\n"
    "         (an id names the dictionary's configuration section). Two entries may not\n"
    "         install the same file. The files are streamed, never held whole; OUT.dir\n"
    "         appears, replacing any older one, only once it is complete and checked.\n"
    "  -m MANIFEST                 entries from a manifest file in UTF-8:\n"
    "                                # comment (also ;)\n"
    "                                [entry]\n"
    "                                file  = data/xinci8.dic   (relative to the manifest)\n"
    "                                id    = xinci8\n"
    "                                ext   = .dic             (optional: the file's own)\n"
    "                                date  = 2024.05.01\n"
    "                                title = 新编英汉双解学习词典\n"
    "  -e FILE ID EXT DATE TITLE   one entry from the command line.\n"
    "list     prints the header and the entry table.\n"
    "verify   checks what the installer's reader checks (header, format words, entry size,\n"
    "         table), that every entry's texts end inside their fields, that ids and\n"
    "         extensions are plain file names, and that every entry's data lie inside the\n"
    "         file, reading each one through. Prints every problem found.\n"
    "extract  writes each entry's data to FOLDER/ID+EXT, creating FOLDER when missing.\n"
    "         Refuses a container verify finds invalid, before writing anything.\n"
    "seal     writes FOLDER/package.sha256, the package's seal, for a finished package folder:\n"
    "         the SHA-256 of every file below FOLDER, subfolders such as dict_image included,\n"
    "         but package.sha256 and its signature package.sha256.p7s, in the format of\n"
    "         sha256sum (so that \"sha256sum -c package.sha256\" in FOLDER checks it): one line\n"
    "         per file, 64 lower-case hex digits, two spaces, the path relative to FOLDER with\n"
    "         \"/\", UTF-8, sorted by the path's bytes, LF. The same files give the same bytes.\n"
    "         It skips nothing: it refuses, writing nothing, a folder without a container\n"
    "         (*.dir), a symbolic link or junction inside FOLDER (never followed: the wizard\n"
    "         takes no link; FOLDER itself may be one), a device, pipe or socket, a folder or\n"
    "         file it cannot read, a name that is not UTF-8 or holds a backslash, a colon or a\n"
    "         control character, and two names that differ only in letter case. The seal\n"
    "         appears, replacing an older one, only once it is complete. A package.sha256.p7s\n"
    "         that signed an older, different seal is removed: sign the new one with\n"
    "         scripts/seal and the signing options. A signed wizard takes a package only with\n"
    "         a seal that its own certificate signed; an unsigned one checks a seal when there\n"
    "         is one.\n"
    "check    reads a finished package folder as the installer will: the containers (*.dir),\n"
    "         dictconfig.ini (by the profile functions' rules, as the installer reads it),\n"
    "         dict_image\\<id>.bmp, pakorra.exe and vintora.dll. One line per\n"
    "         finding, errors first, then a summary (\"FOLDER: clean\" or \"FOLDER: N errors,\n"
    "         M warnings\"):\n"
    "           error: FILE: what is wrong — what to do\n"
    "           warning: FILE: what is wrong — what to do\n"
    "         FILE is relative to FOLDER. Errors: a container the installer refuses (and why)\n"
    "         or cannot install from, an id or extension it refuses, no container at all,\n"
    "         pakorra.exe or vintora.dll missing or not the 32-bit (i386) build. When there\n"
    "         is a package.sha256: a malformed line, a file whose SHA-256 differs from the\n"
    "         listed one, a file not listed (or one no seal can list, such as a link), a listed\n"
    "         file missing. A pakorra.exe that carries a signature (a certificate table)\n"
    "         without package.sha256 or package.sha256.p7s: the signed wizard refuses such a\n"
    "         package (run scripts/seal with the signing options). The signature is not\n"
    "         verified here (openssl cms -verify does that). No seal beside an unsigned\n"
    "         wizard is no finding. Warnings: a date that does not parse, one file installed\n"
    "         by two entries, dictconfig.ini missing, unreadable or not saved as the\n"
    "         installer reads it (save it as \"UTF-16 LE with BOM (Unicode)\"; ASCII or GBK\n"
    "         also work), a section without an entry or an entry without a section, a value\n"
    "         over 259 characters, an image missing, unreadable or not a valid BMP.\n"
    "  --json   prints one JSON object (UTF-8) instead: {\"folder\", \"status\" (the exit\n"
    "         status), \"errors\", \"warnings\", \"findings\": [{\"severity\" (\"error\" or\n"
    "         \"warning\"), \"file\", \"code\", \"message\"}]}.\n"
    "         Codes of errors: folder-missing, no-container, container-refused,\n"
    "         container-damaged, name-refused, extension-refused, program-missing,\n"
    "         program-unreadable, program-not-pe, program-not-32-bit, seal-missing,\n"
    "         seal-unsigned, seal-unreadable, seal-malformed, seal-mismatch, seal-unlisted,\n"
    "         seal-unlistable, seal-file-missing. Of warnings: date-unparsed, duplicate-key,\n"
    "         config-missing, config-unreadable, config-encoding, section-without-entry,\n"
    "         entry-without-section, value-too-long, image-missing, image-unreadable,\n"
    "         image-invalid.\n"
    "\n"
    "--version prints the release version, the same as the wizard's released with it.\n"
    "\n"
    "Exit status: 0 success (verify: valid), 1 failure (verify: invalid; seal: refused), 2 wrong\n"
    "usage.\n"
    "check: 0 clean, 1 warnings only, 2 errors (and 2 for wrong usage).";

int Usage(const std::string& problem) {
  PrintError("dirpack: " + problem);
  PrintError(kUsage);
  return kExitUsage;
}

int Fail(const std::vector<std::string>& problems, const std::string& prefix = "dirpack: ") {
  for (const std::string& problem : problems) PrintError(prefix + problem);
  return kExitFailed;
}

bool ToPath(const std::string& arg, std::wstring& path) { return Utf8ToPath(arg, path) && !path.empty(); }

int Create(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage("create needs the output file");
  std::wstring out;
  if (!ToPath(args[1], out)) return Usage("the output path is not valid text");
  if (args.size() == 2) return Usage("create needs -m MANIFEST or -e FILE ID EXT DATE TITLE");
  std::vector<PackItem> items;
  std::vector<std::string> problems;
  for (size_t i = 2; i < args.size();) {
    if (args[i] == "-m" && i + 1 < args.size()) {
      std::wstring manifest;
      if (!ToPath(args[i + 1], manifest)) return Usage("the manifest path is not valid text");
      ReadManifest(manifest, items, problems);
      i += 2;
    } else if (args[i] == "-e" && i + 5 < args.size()) {
      PackItem item;
      item.origin = "-e #" + std::to_string(items.size() + 1) + " (" + args[i + 1] + ")";
      if (!ToPath(args[i + 1], item.sourcePath) || !Utf8ToUnits(args[i + 2], item.id) ||
          !Utf8ToUnits(args[i + 3], item.ext) || !Utf8ToUnits(args[i + 4], item.date) ||
          !Utf8ToUnits(args[i + 5], item.title)) {
        return Usage("an -e argument is not valid text");
      }
      items.push_back(std::move(item));
      i += 6;
    } else {
      return Usage("unexpected \"" + args[i] + "\" (or an option lacking its values)");
    }
  }
  if (!problems.empty() || !WritePackage(out, items, problems)) {
    PrintError("dirpack: " + args[1] + " not written:");
    return Fail(problems, "  ");
  }
  PrintLine(args[1] + ": " + std::to_string(items.size()) + " entries written");
  return kExitOk;
}

int List(const std::wstring& package) {
  std::vector<std::string> lines;
  std::string why;
  if (!ListPackage(package, lines, why)) return Fail({PathToUtf8(package) + ": " + why});
  for (const std::string& line : lines) PrintLine(line);
  return kExitOk;
}

int Verify(const std::wstring& package) {
  const std::string name = PathToUtf8(package);
  PackageReport report;
  const bool valid = CheckPackage(package, true, report);
  for (const std::string& warning : report.warnings) PrintLine(name + ": warning: " + warning);
  for (const std::string& problem : report.problems) PrintLine(name + ": " + problem);
  if (!valid) {
    PrintLine(name + ": invalid (" + std::to_string(report.problems.size()) + " problems)");
    return kExitFailed;
  }
  PrintLine(name + ": valid, " + std::to_string(report.entryCount) + " entries, " + std::to_string(report.fileSize) +
            " bytes");
  return kExitOk;
}

int Extract(const std::wstring& package, const std::wstring& folder) {
  std::vector<std::wstring> written;
  std::vector<std::string> problems;
  const bool ok = ExtractPackage(package, folder, written, problems);
  for (const std::wstring& path : written) PrintLine(PathToUtf8(path));
  if (!ok) {
    PrintError("dirpack: " + PathToUtf8(package) + " not extracted" + (written.empty() ? "" : " completely") + ":");
    return Fail(problems, "  ");
  }
  PrintLine(PathToUtf8(package) + ": " + std::to_string(written.size()) + " files extracted");
  return kExitOk;
}

// A file in the folder as the command line named the folder, for messages.
std::string InFolder(const std::string& folder, const wchar_t* name) {
  return folder + (folder.back() == '/' || folder.back() == '\\' ? "" : "/") + PathToUtf8(name);
}

int Seal(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[1].empty()) return Usage("seal takes one folder");
  std::wstring folder;
  if (!ToPath(args[1], folder)) return Usage("the folder path is not valid text");
  const std::string seal = InFolder(args[1], kSealFileName);
  SealOutcome outcome;
  std::vector<SealRefusal> refusals;
  if (!SealPackageFolder(folder, outcome, refusals)) {
    for (const SealRefusal& refusal : refusals) PrintError("error: " + refusal.file + ": " + refusal.message);
    PrintError("dirpack: " + seal + " not written");
    return kExitFailed;
  }
  PrintLine(seal + ": " + std::to_string(outcome.files) + " files " +
            (outcome.unchanged ? "sealed already" : "sealed"));
  if (outcome.signatureRemoved) {
    PrintLine(InFolder(args[1], kSealSignatureFileName) +
              ": removed, as it signed the former seal — sign the new one with scripts/seal and the signing options");
  }
  return kExitOk;
}

int Check(const std::vector<std::string>& args) {
  std::string folderArg;
  bool json = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json" && !json) {
      json = true;
    } else if (folderArg.empty() && !args[i].empty()) {
      folderArg = args[i];
    } else {
      return Usage("check takes one folder and optionally --json");
    }
  }
  std::wstring folder;
  if (folderArg.empty()) return Usage("check needs the package folder");
  if (!ToPath(folderArg, folder)) return Usage("the folder path is not valid text");
  FolderReport report;
  CheckPackageFolder(folder, report);
  if (json) {
    PrintLine(report.Json(folderArg));
  } else {
    for (const std::string& line : report.Lines(folderArg)) PrintLine(line);
  }
  return report.ExitStatus();
}

int Run(int argc, char** argv) {
  std::vector<std::string> args;
  if (!CommandArgs(argc, argv, args)) return Usage("the command line is not valid text");
  if (args.empty()) return Usage("no command");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    PrintLine(kHelp);
    return kExitOk;
  }
  if (command == "--version") {
    PrintLine(std::string("dirpack ") + PAKORRA_VERSION_TEXT);
    return kExitOk;
  }
  if (command == "create") return Create(args);
  if (command == "check") return Check(args);
  if (command == "seal") return Seal(args);

  const size_t wanted = command == "extract" ? 3 : 2;
  if (command != "list" && command != "verify" && command != "extract")
    return Usage("unknown command \"" + command + "\"");
  if (args.size() != wanted)
    return Usage(command + " takes " + (wanted == 3 ? "a container and a folder" : "one container"));
  std::wstring package, folder;
  if (!ToPath(args[1], package) || (wanted == 3 && !ToPath(args[2], folder))) return Usage("a path is not valid text");
  if (command == "list") return List(package);
  if (command == "verify") return Verify(package);
  return Extract(package, folder);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing below throws by design; running out of memory is the one way left.
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    PrintError(std::string("dirpack: ") + error.what());
    return kExitFailed;
  }
}
