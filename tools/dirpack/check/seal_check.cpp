#include "tools/dirpack/check/seal_check.h"

#include <map>
#include <vector>

#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/check/file_bytes.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/seal/sealed_files.h"

namespace {

const char kRefused[] = "so the wizard refuses the package";
const char kSealAgain[] =
    "seal the folder again (scripts/seal FOLDER, with the signing options for a signed wizard; or dirpack seal "
    "FOLDER)";
const char kSignIt[] =
    "run scripts/seal FOLDER with the signing options (--sign-pkcs12 FILE, or --sign-cert CERT --sign-key KEY)";

struct Listed {
  const SealLine* line;
  bool found = false;
};

// The seal's lines by their paths: exactly as written, and by key, as Windows finds a name
// whatever its letter case.
class ListedFiles {
 public:
  explicit ListedFiles(const std::vector<SealLine>& lines) {
    for (const SealLine& line : lines) m_byKey.emplace(SealPathKey(line.path), Listed{&line});
  }
  Listed* Find(const std::string& path) {
    const auto it = m_byKey.find(SealPathKey(path));
    return it == m_byKey.end() ? nullptr : &it->second;
  }
  template <typename Visit>
  void ForEachNotFound(Visit visit) const {
    for (const auto& entry : m_byKey) {
      if (!entry.second.found) visit(*entry.second.line);
    }
  }

 private:
  std::map<std::string, Listed> m_byKey;
};

// Whether the lines can be held against the folder: not when one names the seal or its signature.
bool ListsItself(const std::vector<SealLine>& lines, const std::string& sealFile, FolderReport& report) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!IsSealFileName(lines[i].path)) continue;
    report.Add(Severity::Error, sealFile, "seal-malformed",
               "line " + std::to_string(i + 1) + " lists " + DisplayPath(lines[i].path) + ", which no seal can list, " +
                   kRefused + " — " + kSealAgain);
    return true;
  }
  return false;
}

void CheckListedFiles(const std::wstring& folder, const std::vector<SealLine>& lines, FolderReport& report) {
  const std::string sealFile = PathToUtf8(kSealFileName);
  SealedFolder sealed;
  if (!CollectSealedFiles(folder, sealed)) return;  // the folder check has said it is no folder
  ListedFiles listed(lines);
  for (const UnlistableFile& file : sealed.unlistable) {
    report.Add(Severity::Error, file.file, "seal-unlistable", file.message + ", then " + kSealAgain);
    // Its line, if it has one, is not missing as well: the item is there, only no file.
    if (Listed* line = file.path.empty() ? nullptr : listed.Find(file.path)) line->found = true;
  }
  for (const SealedFile& file : sealed.files) {
    const std::string shown = DisplayPath(file.path);
    Listed* line = listed.Find(file.path);
    if (line == nullptr) {
      report.Add(Severity::Error, shown, "seal-unlisted",
                 std::string("not listed in ") + sealFile + ", " + kRefused + " — remove it, or " + kSealAgain);
      continue;
    }
    line->found = true;
    Sha256Digest digest = {};
    if (!DigestOfFile(file.fullPath, digest)) {
      report.Add(Severity::Error, shown, "seal-unreadable",
                 "cannot be read to hold it against its digest in " + sealFile + " — make it readable");
    } else if (digest != line->line->digest) {
      report.Add(Severity::Error, shown, "seal-mismatch",
                 "its SHA-256 (" + HexDigits(digest) + ") differs from the one " + sealFile + " lists, " + kRefused +
                     " — put back the file that was sealed, or, if this one is right, " + kSealAgain);
    }
  }
  listed.ForEachNotFound([&](const SealLine& line) {
    report.Add(
        Severity::Error, DisplayPath(line.path), "seal-file-missing",
        "listed in " + sealFile + " but missing (or not a file), " + kRefused + " — put it back, or " + kSealAgain);
  });
}

}  // namespace

void CheckPackageSeal(const std::wstring& folder, bool wizardSigned, FolderReport& report) {
  const std::string sealFile = PathToUtf8(kSealFileName), signatureFile = PathToUtf8(kSealSignatureFileName);
  std::wstring sealPath, signaturePath;
  const FolderItem seal = FindFolderItem(folder, kSealFileName, sealPath);
  const FolderItem signature = FindFolderItem(folder, kSealSignatureFileName, signaturePath);
  if (wizardSigned && seal == FolderItem::Missing) {
    report.Add(Severity::Error, sealFile, "seal-missing",
               std::string("missing") +
                   (signature == FolderItem::Missing ? ", as is its signature " + signatureFile : "") +
                   ", while pakorra.exe is signed or built for its publisher's certificate: the wizard refuses such a package — " + kSignIt);
    return;
  }
  if (wizardSigned && signature != FolderItem::File) {
    report.Add(Severity::Error, signatureFile, "seal-unsigned",
               std::string(signature == FolderItem::Missing ? "missing" : "not a file") +
                   ", while pakorra.exe is signed or built for its publisher's certificate: the wizard refuses such a package — " + kSignIt);
  }
  if (seal == FolderItem::Missing) return;

  std::string bytes;
  if (seal != FolderItem::File || !ReadWholeFile(sealPath, bytes)) {
    report.Add(Severity::Error, sealFile, "seal-unreadable",
               std::string("cannot be read as a file, ") + kRefused + " — " + kSealAgain);
    return;
  }
  std::vector<SealLine> lines;
  size_t badLine = 0;
  SealProblem problem = SealProblem::None;
  if (!ParseSealList(bytes, lines, badLine, problem)) {
    report.Add(Severity::Error, sealFile, "seal-malformed",
               DescribeSealProblem(problem, badLine) + ", " + kRefused + " — " + kSealAgain);
    return;
  }
  if (!ListsItself(lines, sealFile, report)) CheckListedFiles(folder, lines, report);
}
