#include "tools/dirpack/check/description_check.h"

#include <set>

#include "engine/format/package_layout.h"
#include "engine/format/profile_text.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/check/bitmap_check.h"
#include "tools/dirpack/check/config_encoding.h"
#include "tools/dirpack/check/file_bytes.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/file_system.h"

namespace {

const char kSaveAs[] = "save it as \"UTF-16 LE with BOM (Unicode)\"";

// Why the wizard would not read the file as written, and what to do; empty when it would.
std::string EncodingProblem(ConfigEncoding encoding) {
  const std::string garbled = "the wizard reads it in the system's ANSI code page (936 on Chinese Windows), so ";
  switch (encoding) {
    case ConfigEncoding::Ascii:
    case ConfigEncoding::Utf16LittleEndian:
    case ConfigEncoding::Ansi:
      return "";
    case ConfigEncoding::Utf8:
      return "saved as UTF-8 with non-ASCII text; " + garbled + "Chinese values reach the host garbled — " + kSaveAs;
    case ConfigEncoding::Utf8WithMark:
      return "saved as UTF-8 with a byte-order mark; " + garbled +
             "the mark spoils its first line and any Chinese values reach the host garbled — " + kSaveAs;
    case ConfigEncoding::Utf16BigEndian:
      return "saved as big-endian UTF-16, which the wizard does not read as Unicode — " + std::string(kSaveAs);
    case ConfigEncoding::Utf16WithoutMark:
      return "holds NUL bytes: UTF-16 saved without its byte-order mark, which the wizard reads as ANSI text — " +
             std::string(kSaveAs);
    case ConfigEncoding::Undefined:
      return "holds bytes that are no text in code page 936, which reach the host garbled — " + std::string(kSaveAs);
  }
  return "";
}

void CheckConfig(const std::wstring& folder, const std::vector<PackagedDict>& dicts, FolderReport& report) {
  const std::string file = PathToUtf8(kPackageConfigFileName);
  std::wstring path;
  const FolderItem item = FindFolderItem(folder, kPackageConfigFileName, path);
  if (item == FolderItem::Missing) {
    report.Add(Severity::Warning, file, "config-missing",
               "missing, so the host learns each dictionary's id and nothing else — add it with a section per "
               "dictionary id, " +
                   std::string(kSaveAs));
    return;
  }
  std::string bytes;
  if (item != FolderItem::File || !ReadWholeFile(path, bytes)) {
    report.Add(Severity::Warning, file, "config-unreadable",
               "cannot be read as a file, so the host learns each dictionary's id and nothing else — replace it "
               "with a readable file");
    return;
  }
  const std::string encoding = EncodingProblem(ClassifyConfigBytes(bytes));
  if (!encoding.empty()) report.Add(Severity::Warning, file, "config-encoding", encoding);
  const ProfileText profile(DecodeProfileBytes(bytes));

  // Names compared as the profile functions compare them; sets keep large packages quick.
  std::set<std::wstring, ProfileNameLess> sectionNames, idNames;
  for (const PackagedDict& dict : dicts) idNames.insert(dict.id);
  for (const std::wstring& section : profile.SectionNames()) {
    // A repeated section is reported once.
    if (!sectionNames.insert(section).second || idNames.count(section) != 0) continue;
    report.Add(Severity::Warning, file, "section-without-entry",
               "section [" + DisplayUnits(section) +
                   "] belongs to no dictionary in the containers, so the wizard never reads it — remove it, or "
                   "fix its name to the dictionary's id");
  }
  for (const PackagedDict& dict : dicts) {
    if (sectionNames.count(dict.id) == 0) {
      report.Add(Severity::Warning, file, "entry-without-section",
                 "no section [" + DisplayUnits(dict.id) + "] for " + dict.where +
                     ", so the host learns its id and nothing else — add the section");
      continue;
    }
    for (const wchar_t* key : kCopiedConfigKeys) {
      const size_t length = profile.Value(dict.id, key).size();
      if (length < kConfigValueChars) continue;
      report.Add(Severity::Warning, file, "value-too-long",
                 "[" + DisplayUnits(dict.id) + "] " + PathToUtf8(key) + " has " + std::to_string(length) +
                     " characters; the wizard reads the first " + std::to_string(kConfigValueChars - 1) +
                     " and cuts the rest — shorten it");
    }
  }
}

void CheckImage(const std::wstring& imageFolder, const PackagedDict& dict, FolderReport& report) {
  const std::wstring units = dict.id + kDictImageExtension;
  std::wstring name, path;
  const bool named = UnitsToPath(units, name);
  const std::string file = named ? PathToUtf8(JoinPath(kPackageImageFolder, name))
                                 : PathToUtf8(kPackageImageFolder) + "/" + DisplayUnits(units);
  const FolderItem item = !imageFolder.empty() && named ? FindFolderItem(imageFolder, name, path) : FolderItem::Missing;
  std::string why;
  if (item == FolderItem::Missing) {
    report.Add(Severity::Warning, file, "image-missing",
               "missing, so " + dict.where + " has no picture in the host — add its image as a BMP file");
    return;
  }
  const BitmapCheck check = item == FolderItem::File ? CheckBitmapFile(path, why) : BitmapCheck::CannotRead;
  if (check == BitmapCheck::CannotRead) {
    report.Add(Severity::Warning, file, "image-unreadable",
               "cannot be read as a file, so the wizard cannot copy it — replace it with the dictionary's BMP image");
  } else if (check == BitmapCheck::Invalid) {
    report.Add(Severity::Warning, file, "image-invalid",
               "not a valid BMP image: " + why + " — save the picture as a BMP file");
  }
}

}  // namespace

void CheckPackageDescription(const std::wstring& folder, const std::vector<PackagedDict>& dicts, FolderReport& report) {
  // Registration and the image copy run once per id: entries that share one share both.
  std::vector<PackagedDict> unique;
  std::set<std::wstring> ids;
  for (const PackagedDict& dict : dicts) {
    if (ids.insert(dict.id).second) unique.push_back(dict);
  }
  CheckConfig(folder, unique, report);
  std::wstring imageFolder;
  if (FindFolderItem(folder, kPackageImageFolder, imageFolder) != FolderItem::NotFile) imageFolder.clear();
  for (const PackagedDict& dict : unique) CheckImage(imageFolder, dict, report);
}
