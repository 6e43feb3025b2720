#include "tools/dirpack/package_seal.h"

#include "engine/format/byte_file.h"
#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/check/file_bytes.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/file_system.h"
#include "tools/dirpack/output_file.h"
#include "tools/dirpack/seal/sealed_files.h"

namespace {

bool Refuse(std::vector<SealRefusal>& refusals, const std::string& file, const std::string& message) {
  refusals.push_back({file, message});
  return false;
}

// The path of a file at the top of the folder: as stored when it is there in another letter case
// (the wizard finds it so), else under its own name.
std::wstring TopFilePath(const std::wstring& folder, const wchar_t* name, FolderItem& item) {
  std::wstring path;
  item = FindFolderItem(folder, name, path);
  return item == FolderItem::Missing ? JoinPath(folder, name) : path;
}

bool WriteSeal(const std::wstring& path, const std::string& text, std::vector<SealRefusal>& refusals) {
  OutputFile out;
  if (out.Create(path) && out.Write(text.data(), text.size()) && out.Finish() && out.Publish()) return true;
  return Refuse(refusals, PathToUtf8(kSealFileName),
                "cannot be written in the folder — make the folder writable (and free some space) and seal again");
}

// A seal line for each sealed file; one that cannot be read is refused instead.
void DigestSealedFiles(const SealedFolder& sealed, std::vector<SealLine>& lines, std::vector<SealRefusal>& refusals) {
  for (const SealedFile& file : sealed.files) {
    SealLine line;
    line.path = file.path;
    if (!DigestOfFile(file.fullPath, line.digest)) {
      Refuse(refusals, DisplayPath(file.path), "cannot be read to take its SHA-256 — make it readable and seal again");
      continue;
    }
    lines.push_back(std::move(line));
  }
}

}  // namespace

bool SealPackageFolder(const std::wstring& folder, SealOutcome& outcome, std::vector<SealRefusal>& refusals) {
  if (!IsFolder(folder)) {
    return Refuse(refusals, PathToUtf8(folder), "not a folder — give the package folder, which holds the containers");
  }
  const size_t before = refusals.size();
  if (ListContainerNames(folder).empty()) {
    Refuse(refusals, "*.dir",
           "no container in the folder, so it is no package — seal the folder that holds the package's .dir files "
           "(made with dirpack create) beside pakorra.exe");
  }
  SealedFolder sealed;
  if (!CollectSealedFiles(folder, sealed)) {
    return Refuse(refusals, PathToUtf8(folder), "cannot be listed — make the folder readable and seal again");
  }
  for (const UnlistableFile& file : sealed.unlistable) Refuse(refusals, file.file, file.message);

  std::vector<SealLine> lines;
  DigestSealedFiles(sealed, lines, refusals);
  if (refusals.size() != before) return false;

  const std::string text = ComposeSealList(lines);
  // What is written must read back: every line was judged by the same rules already.
  std::vector<SealLine> reread;
  size_t badLine = 0;
  SealProblem problem = SealProblem::None;
  if (!ParseSealList(text, reread, badLine, problem) || reread.size() != lines.size()) {
    return Refuse(
        refusals, PathToUtf8(kSealFileName),
        "would not read back (" + DescribeSealProblem(problem, badLine) + ") — rename the file that line lists");
  }

  FolderItem sealItem = FolderItem::Missing, signatureItem = FolderItem::Missing;
  const std::wstring sealPath = TopFilePath(folder, kSealFileName, sealItem);
  const std::wstring signaturePath = TopFilePath(folder, kSealSignatureFileName, signatureItem);
  std::string former;
  const bool unchanged = sealItem == FolderItem::File && ReadWholeFile(sealPath, former) && former == text;
  if (!unchanged && !WriteSeal(sealPath, text, refusals)) return false;

  SealOutcome result{lines.size(), unchanged};
  // A signature of other bytes vouches for nothing; left there it would pass for one of this seal.
  if (!unchanged && signatureItem == FolderItem::File) {
    if (!DeleteByteFile(signaturePath)) {
      return Refuse(refusals, PathToUtf8(kSealSignatureFileName),
                    "signs the former seal and cannot be removed — remove it, then sign the new seal with scripts/seal "
                    "and the signing options");
    }
    result.signatureRemoved = true;
  }
  outcome = result;
  return true;
}
