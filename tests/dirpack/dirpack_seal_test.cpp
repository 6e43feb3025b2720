// dirpack seal and the check of a sealed folder, run as a publisher runs them on the package folder
// of package_folder_kit.h: sealed, the folder checks clean (and, natively, sha256sum -c agrees);
// then one folder per spoiled part, in which the check names that part; then the folders seal
// refuses, writing nothing.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "engine/format/sha256.h"
#include "tests/dirpack/dirpack_harness.h"
#include "tests/dirpack/package_folder_kit.h"
#include "tests/support/container_bytes.h"

namespace dirpacktest {
namespace {

const char kSeal[] = "package.sha256";
const char kSignature[] = "package.sha256.p7s";
const uint32_t kSignatureBytes = 1200;  // a certificate table of a signed wizard's size

bool StartsALine(const std::string& text, const std::string& start) {
  return ("\n" + text).find("\n" + start) != std::string::npos;
}

std::string Sealed(const PackageFolder& folder) { return folder.path() + "/" + kSeal; }

void Seal(const PackageFolder& folder) {
  const RunResult run = RunDirpack({"seal", folder.path()});
  ASSERT_EQ(run.status, 0) << Describe(run);
}

// The seal the test expects for these files: their digests by the system's hash, sorted by the
// bytes of their paths, LF.
std::string ExpectedSeal(const PackageFolder& folder, std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) {
    const std::string bytes = folder.Get(name);
    Sha256Digest digest = {};
    EXPECT_TRUE(Sha256Of(bytes.data(), bytes.size(), digest)) << name;
    text += HexDigits(digest) + "  " + name + "\n";
  }
  return text;
}

// The top of the folder and of dict_image, to see that a refused run left nothing behind.
std::vector<std::string> FolderContents(const PackageFolder& folder) {
  std::vector<std::string> names = ListFolder(folder.path());
  for (const std::string& name : ListFolder(folder / "dict_image")) names.push_back("dict_image/" + name);
  return names;
}

// ---- Sealed folders ----

TEST(DirpackSeal, ASealedFolderListsEveryFileAndChecksClean) {
  PackageFolder folder;
  // FIPS 180-4's first example: the hash of the system's library, seen end to end.
  folder.Put("dict_image/abc.txt", "abc");
  const RunResult run = RunDirpack({"seal", folder.path()});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.out, Sealed(folder) + ": 9 files sealed\n") << Describe(run);

  std::vector<std::string> names = PackageFolder::FileNames();
  names.push_back("dict_image/abc.txt");
  const std::string seal = folder.Get(kSeal);
  EXPECT_EQ(seal, ExpectedSeal(folder, names));
  EXPECT_TRUE(
      StartsALine(seal, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  dict_image/abc.txt\n"))
      << seal;

  const RunResult check = RunDirpack({"check", folder.path()});
  EXPECT_EQ(check.status, 0) << Describe(check);
  EXPECT_EQ(check.out, folder.path() + ": clean\n") << Describe(check);
#ifndef _WIN32
  const std::string verify = "cd '" + folder.path() + "' && sha256sum --quiet --strict -c package.sha256";
  EXPECT_EQ(std::system(verify.c_str()), 0) << verify;
#endif
}

TEST(DirpackSeal, TheSameFilesGiveTheSameBytes) {
  PackageFolder first, second;
  // The second folder's files written again in the other order: another listing order, other times.
  std::vector<std::string> names = PackageFolder::FileNames();
  std::reverse(names.begin(), names.end());
  std::vector<std::string> contents;
  for (const std::string& name : names) {
    contents.push_back(second.Get(name));
    second.Remove(name);
  }
  for (size_t i = 0; i < names.size(); ++i) second.Put(names[i], contents[i]);
  Seal(first);
  Seal(second);
  EXPECT_EQ(first.Get(kSeal), second.Get(kSeal));

  const std::string before = first.Get(kSeal);
  const RunResult again = RunDirpack({"seal", first.path()});
  EXPECT_EQ(again.status, 0) << Describe(again);
  EXPECT_EQ(again.out, Sealed(first) + ": 8 files sealed already\n") << Describe(again);
  EXPECT_EQ(first.Get(kSeal), before);
}

TEST(DirpackSeal, ContainersOfAnyLetterCaseAndEmptyFoldersAreAPackage) {
  PackageFolder folder;
  // Removed first: Windows keeps a name's former letter case when a file is written over.
  for (const char* name : {"extra.dir", "核心.dir"}) {
    const std::string bytes = folder.Get(name);
    folder.Remove(name);
    folder.Put(name == std::string("extra.dir") ? "EXTRA.DIR" : "核心.Dir", bytes);
  }
  dirpacktest::MakeFolder(folder / "empty");
  const RunResult run = RunDirpack({"seal", folder.path()});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(folder.Get(kSeal),
            ExpectedSeal(folder, {"EXTRA.DIR", "核心.Dir", "dictconfig.ini", "dict_image/xinci8.bmp",
                                  "dict_image/mingju5.bmp", "dict_image/HanYing.BMP", "pakorra.exe", "vintora.dll"}));
}

// A signature is of the seal's bytes: one of other bytes goes when the seal changes, and stays
// when it does not.
TEST(DirpackSeal, ASignatureOfTheFormerSealIsRemoved) {
  PackageFolder folder;
  Seal(folder);
  folder.Put(kSignature, "signature of the seal");
  RunResult run = RunDirpack({"seal", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_TRUE(Exists(folder / kSignature)) << Describe(run);

  folder.Put("dictconfig.ini", folder.Get("dictconfig.ini") + std::string("\r\0\n\0", 4));
  run = RunDirpack({"seal", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_FALSE(Exists(folder / kSignature)) << Describe(run);
  EXPECT_TRUE(StartsALine(run.out, folder.path() + "/" + kSignature + ": removed, as it signed the former seal"))
      << Describe(run);
}

// ---- One spoiled part per sealed folder ----

struct Spoil {
  const char* name;                          // also the test's name
  std::function<void(PackageFolder&)> make;  // on the sealed folder
  int status;
  std::multiset<std::string> codes;  // every finding's code, consequences included
  const char* line;                  // the start of the line that names what was spoiled
};

void PrintTo(const Spoil& spoil, std::ostream* out) { *out << spoil.name; }

// The sealed folder's seal with one line's text replaced (counted from 0).
void ChangeLine(PackageFolder& f, size_t index, const std::function<void(std::string&)>& change) {
  const std::string seal = f.Get(kSeal);
  std::string out;
  size_t start = 0;
  for (size_t i = 0; start < seal.size(); ++i) {
    const size_t end = seal.find('\n', start);
    std::string line = seal.substr(start, end - start);
    if (i == index) change(line);
    out += line + "\n";
    start = end + 1;
  }
  f.Put(kSeal, out);
}

void PutSignedWizard(PackageFolder& f, uint16_t machine = 0x014C) {
  f.Put("pakorra.exe", ProgramBytes(machine, kSignatureBytes));
  Seal(f);
}

const Spoil kSpoils[] = {
    {"container_with_a_byte_changed",
     [](PackageFolder& f) {
       std::string bytes = f.Get("核心.dir");
       bytes.back() ^= 0x01;  // in the last entry's data: the container itself stays valid
       f.Put("核心.dir", bytes);
     },
     2,
     {"seal-mismatch"},
     "error: 核心.dir: its SHA-256 ("},
    {"container_added_after_sealing",
     [](PackageFolder& f) { f.Put("more.dir", testsupport::ContainerBytes(dirpacktest::ExtraItems())); },
     2,
     {"seal-unlisted", "duplicate-key"},
     "error: more.dir: not listed in package.sha256, so the wizard refuses the package"},
    {"listed_image_deleted",
     [](PackageFolder& f) { f.Remove("dict_image/mingju5.bmp"); },
     2,
     {"seal-file-missing", "image-missing"},
     "error: dict_image/mingju5.bmp: listed in package.sha256 but missing"},
    {"line_with_one_space",
     [](PackageFolder& f) { ChangeLine(f, 1, [](std::string& line) { line.erase(64, 1); }); },
     2,
     {"seal-malformed"},
     "error: package.sha256: line 2 malformed, so the wizard refuses the package"},
    {"seal_listing_itself",
     [](PackageFolder& f) { f.Put(kSeal, f.Get(kSeal) + std::string(64, '0') + "  Package.SHA256\n"); },
     2,
     {"seal-malformed"},
     "error: package.sha256: line 9 lists Package.SHA256, which no seal can list"},
    {"signed_wizard_without_signature",
     [](PackageFolder& f) { PutSignedWizard(f); },
     2,
     {"seal-unsigned"},
     "error: package.sha256.p7s: missing, while pakorra.exe is signed or built for its publisher's certificate: the "
     "wizard refuses such a package — run "
     "scripts/seal FOLDER with the signing options"},
    {"signed_wizard_without_seal",
     [](PackageFolder& f) {
       PutSignedWizard(f);
       f.Remove(kSeal);
     },
     2,
     {"seal-missing"},
     "error: package.sha256: missing, as is its signature package.sha256.p7s, while pakorra.exe is signed"},
    {"signed_wizard_with_a_signature_but_no_seal",
     [](PackageFolder& f) {
       PutSignedWizard(f);
       f.Put(kSignature, "signature");
       f.Remove(kSeal);
     },
     2,
     {"seal-missing"},
     "error: package.sha256: missing, while pakorra.exe is signed"},
    // Built for its publisher's certificate and not signed yet: it expects a signed seal all the same.
    {"wizard_built_for_a_certificate_without_seal",
     [](PackageFolder& f) {
       f.Put("pakorra.exe", ProgramBytes(0x014C, 0) + "pakorra-publisher-certificate-sha256:" + std::string(64, 'a'));
       f.Remove(kSeal);
     },
     2,
     {"seal-missing"},
     "error: package.sha256: missing, as is its signature package.sha256.p7s, while pakorra.exe is signed or built"},
    {"signed_64_bit_wizard_without_seal",
     [](PackageFolder& f) {
       f.Remove(kSeal);
       f.Put("pakorra.exe", ProgramBytes(0x8664, kSignatureBytes));
     },
     2,
     {"program-not-32-bit", "seal-missing"},
     "error: package.sha256: missing"},
#ifndef _WIN32
    {"image_replaced_by_a_link",
     [](PackageFolder& f) {
       f.Remove("dict_image/mingju5.bmp");
       ASSERT_EQ(symlink("xinci8.bmp", (f / "dict_image/mingju5.bmp").c_str()), 0);
     },
     2,
     {"seal-unlistable"},
     "error: dict_image/mingju5.bmp: a symbolic link"},
    {"file_whose_name_has_a_backslash",
     [](PackageFolder& f) { f.Put("dict_image/a\\b.bmp", "x"); },
     2,
     {"seal-unlistable"},
     "error: dict_image/a\\b.bmp: its name has a backslash"},
#endif
};

// What the check takes as it is: sha256sum's other forms, and a seal or signature it does not ask for.
const Spoil kAccepted[] = {
    {"seal_with_CRLF_line_ends",
     [](PackageFolder& f) {
       std::string seal = f.Get(kSeal), crlf;
       for (const char c : seal) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
       f.Put(kSeal, crlf);
     },
     0,
     {},
     ""},
    // The wizard finds names whatever their letter case, as Windows does.
    {"seal_listing_a_folder_in_another_letter_case",
     [](PackageFolder& f) { ChangeLine(f, 2, [](std::string& line) { line.replace(66, 10, "DICT_IMAGE"); }); },
     0,
     {},
     ""},
    {"signed_wizard_with_seal_and_signature",
     [](PackageFolder& f) {
       PutSignedWizard(f);
       f.Put(kSignature, "signature");
     },
     0,
     {},
     ""},
    {"unsigned_wizard_without_seal",
     [](PackageFolder& f) {
       f.Remove(kSeal);
       f.Put(kSignature, "signature");
     },
     0,
     {},
     ""},
    // A count of four data directories ends before the certificate table's: no signature.
    {"wizard_whose_header_ends_before_the_certificate_table",
     [](PackageFolder& f) {
       std::string bytes = ProgramBytes(0x014C, kSignatureBytes);
       dirpacktest::PutLittle(bytes, dirpacktest::kProgramDirectoryCountAt, 4, 4);
       f.Put("pakorra.exe", bytes);
       f.Remove(kSeal);
     },
     0,
     {},
     ""},
};

class DirpackSealSpoiled : public ::testing::TestWithParam<Spoil> {
 protected:
  void SetUp() override {
    Seal(folder);
    GetParam().make(folder);
  }
  PackageFolder folder;
};

TEST_P(DirpackSealSpoiled, TheCheckNamesWhatWasSpoiled) {
  const RunResult run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, GetParam().status) << Describe(run);
  EXPECT_TRUE(StartsALine(run.out, GetParam().line)) << GetParam().line << "\n" << Describe(run);
  const size_t lines = static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n'));
  EXPECT_EQ(lines, GetParam().codes.size() + 1) << Describe(run);

  const RunResult json = RunDirpack({"check", "--json", folder.path()});
  EXPECT_EQ(json.status, GetParam().status) << Describe(json);
  EXPECT_EQ(JsonCodes(json), GetParam().codes) << json.out;
}

INSTANTIATE_TEST_SUITE_P(Each, DirpackSealSpoiled, ::testing::ValuesIn(kSpoils),
                         [](const ::testing::TestParamInfo<Spoil>& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Accepted, DirpackSealSpoiled, ::testing::ValuesIn(kAccepted),
                         [](const ::testing::TestParamInfo<Spoil>& info) { return std::string(info.param.name); });

// ---- Folders seal refuses ----

struct Refusal {
  const char* name;
  std::function<void(PackageFolder&)> make;  // on the sealed folder
  const char* line;                          // the start of the error line on standard error
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

const Refusal kRefusals[] = {
    {"folder_without_a_container",
     [](PackageFolder& f) {
       f.Remove("核心.dir");
       f.Remove("extra.dir");
     },
     "error: *.dir: no container in the folder, so it is no package"},
#ifndef _WIN32
    {"link_to_a_container", [](PackageFolder& f) { ASSERT_EQ(symlink("extra.dir", (f / "more.dir").c_str()), 0); },
     "error: more.dir: a symbolic link"},
    {"link_to_a_folder", [](PackageFolder& f) { ASSERT_EQ(symlink("dict_image", (f / "images").c_str()), 0); },
     "error: images: a symbolic link"},
    {"pipe", [](PackageFolder& f) { ASSERT_EQ(mkfifo((f / "dict_image/pipe").c_str(), 0644), 0); },
     "error: dict_image/pipe: neither a file nor a folder"},
    {"name_with_a_backslash", [](PackageFolder& f) { f.Put("dict_image/a\\b.bmp", "x"); },
     "error: dict_image/a\\b.bmp: its name has a backslash"},
    {"name_with_a_line_end", [](PackageFolder& f) { f.Put("notes\rold.txt", "x"); },
     "error: notes\\x0Dold.txt: its name holds a control character"},
    {"name_that_is_no_UTF_8", [](PackageFolder& f) { f.Put("\xB4\xCA\xB5\xE4.txt", "x"); },  // 词典 in code page 936
     "error: \\xB4\\xCA\\xB5\\xE4.txt: its name is not UTF-8 text"},
    {"names_alike_but_for_letter_case", [](PackageFolder& f) { f.Put("dict_image/XINCI8.bmp", "x"); },
     "error: dict_image/xinci8.bmp: differs from dict_image/XINCI8.bmp only in letter case"},
#endif
};

class DirpackSealRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(DirpackSealRefused, NamesTheFileAndKeepsTheFormerSeal) {
  PackageFolder folder;
  Seal(folder);
  const std::string former = folder.Get(kSeal);
  GetParam().make(folder);
  const std::vector<std::string> before = FolderContents(folder);
  const RunResult run = RunDirpack({"seal", folder.path()});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_TRUE(StartsALine(run.err, GetParam().line)) << GetParam().line << "\n" << Describe(run);
  EXPECT_TRUE(StartsALine(run.err, "dirpack: " + Sealed(folder) + " not written")) << Describe(run);
  EXPECT_EQ(run.out, "") << Describe(run);
  EXPECT_EQ(folder.Get(kSeal), former);
  EXPECT_EQ(FolderContents(folder), before) << "nothing written beside the seal";
}

INSTANTIATE_TEST_SUITE_P(Each, DirpackSealRefused, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(DirpackSeal, WrongUsageExitsWithTwoAndAFolderThatIsNoneWithOne) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"seal"}, {"seal", "a", "b"}, {"seal", ""}}) {
    const RunResult run = RunDirpack(args);
    EXPECT_EQ(run.status, 2) << Describe(run);
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << Describe(run);
  }
  dirpacktest::Scratch scratch;
  const RunResult run = RunDirpack({"seal", scratch / "nothing here"});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_TRUE(StartsALine(run.err, "error: " + (scratch / "nothing here") + ": not a folder")) << Describe(run);
}

}  // namespace
}  // namespace dirpacktest
