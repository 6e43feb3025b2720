#include "tests/dirpack/package_folder_kit.h"

#include <gtest/gtest.h>

#include "tests/dirpack/json_value.h"
#include "tests/dirpack/text_bytes.h"

namespace dirpacktest {

using testsupport::ContainerBytes;
using testsupport::ContainerItem;

void PutLittle(std::string& bytes, size_t at, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::string ProgramBytes(uint16_t machine, uint32_t signatureBytes) {
  constexpr size_t kPeAt = 0x80, kOptionalAt = kPeAt + 24, kImageBytes = 0x200;
  const bool plus = machine == 0x8664;
  std::string bytes(kImageBytes, '\0');
  bytes.replace(0, 2, "MZ");
  PutLittle(bytes, 0x3C, kPeAt, 4);
  bytes.replace(kPeAt, 4, std::string("PE\0\0", 4));
  PutLittle(bytes, kPeAt + 4, machine, 2);
  PutLittle(bytes, kPeAt + 20, plus ? 0xF0 : 0xE0, 2);  // the optional header's size
  PutLittle(bytes, kOptionalAt, plus ? 0x20B : 0x10B, 2);
  const size_t countAt = kOptionalAt + (plus ? 108 : 92);
  PutLittle(bytes, countAt, 16, 4);
  if (signatureBytes > 0) {
    PutLittle(bytes, countAt + 4 + 8 * 4, kImageBytes, 4);  // the table's file position
    PutLittle(bytes, countAt + 4 + 8 * 4 + 4, signatureBytes, 4);
    bytes += std::string(signatureBytes, '\x30');
  }
  return bytes;
}

std::string BitmapBytes(uint32_t width, uint32_t height, uint16_t depth, bool core) {
  const uint32_t infoBytes = core ? 12 : 40;
  const uint32_t rowBytes = (width * depth + 31) / 32 * 4;
  const uint32_t dataAt = 14 + infoBytes;
  std::string bytes(dataAt + rowBytes * height, '\x5A');
  bytes.replace(0, 2, "BM");
  PutLittle(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
  PutLittle(bytes, 6, 0, 4);
  PutLittle(bytes, 10, dataAt, 4);
  PutLittle(bytes, 14, infoBytes, 4);
  if (core) {
    PutLittle(bytes, 18, width, 2);
    PutLittle(bytes, 20, height, 2);
    PutLittle(bytes, 22, 1, 2);
    PutLittle(bytes, 24, depth, 2);
  } else {
    PutLittle(bytes, 18, width, 4);
    PutLittle(bytes, 22, height, 4);
    PutLittle(bytes, 26, 1, 2);
    PutLittle(bytes, 28, depth, 2);
    for (size_t at = 30; at < 54; ++at) bytes[at] = '\0';
  }
  return bytes;
}

std::vector<ContainerItem> CoreItems() {
  return {{u"xinci8", u"2024.05.01", u".dic", u"新编英汉双解学习词典", std::string(3000, 'x')},
          {u"mingju5", u"2010-01-01", u".dip", u"明镜当代", std::string(100, 'm')}};
}

std::vector<ContainerItem> ExtraItems() { return {{u"HanYing", u"2026.01.15-2", u".dic", u"汉英日常用语", "h"}}; }

namespace {

const char16_t kConfig[] =
    u"; 词典包的说明\r\n"
    u"[xinci8]\r\n"
    u"id_net=xinci8-2024\r\n"
    u"desc_name=新编英汉双解学习词典\r\n"
    u"catalog=英汉\r\n"
    u"from=en\r\n"
    u"to=zh\r\n"
    u"desc_intro=收词十万条。\r\n"
    u"desc_copyright=示例数据，仅供测试。\r\n"
    u"enable=1\r\n"
    u"func_all=1\r\n"
    u"\r\n"
    u"[mingju5]\r\n"
    u"desc_name=明镜当代\r\n"
    u"enable=0\r\n"
    u"\r\n"
    u"[hanying]\r\n"
    u"desc_name=汉英日常用语\r\n"
    u"desc_intro=INTRO\r\n";

}  // namespace

std::u16string ConfigText(const std::u16string& intro) {
  std::u16string text = kConfig;
  text.replace(text.find(u"INTRO"), 5, intro);
  return text;
}

PackageFolder::PackageFolder() {
  Put("核心.dir", ContainerBytes(CoreItems()));
  Put("extra.dir", ContainerBytes(ExtraItems()));
  Put("dictconfig.ini", Utf16LeWithMark(ConfigText()));
  MakeFolder(scratch / "dict_image");
  Put("dict_image/xinci8.bmp", BitmapBytes(3, 2, 24));
  Put("dict_image/mingju5.bmp", BitmapBytes(1, 1, 24, true));
  Put("dict_image/HanYing.BMP", BitmapBytes(2, 2, 32));
  Put("pakorra.exe", ProgramBytes(0x014C));
  Put("vintora.dll", ProgramBytes(0x014C));
}

const std::vector<std::string>& PackageFolder::FileNames() {
  static const std::vector<std::string> names = {"核心.dir",
                                                 "extra.dir",
                                                 "dictconfig.ini",
                                                 "dict_image/xinci8.bmp",
                                                 "dict_image/mingju5.bmp",
                                                 "dict_image/HanYing.BMP",
                                                 "pakorra.exe",
                                                 "vintora.dll"};
  return names;
}

void PackageFolder::Put(const std::string& name, const std::string& bytes) {
  EXPECT_TRUE(WriteBytes(scratch / name, bytes)) << name;
}

void PackageFolder::Remove(const std::string& name) { EXPECT_TRUE(RemoveFile(scratch / name)) << name; }

std::string PackageFolder::Get(const std::string& name) const {
  std::string bytes;
  EXPECT_TRUE(ReadBytes(scratch / name, bytes)) << name;
  return bytes;
}

std::string Describe(const RunResult& run) {
  return "exit " + std::to_string(run.status) + "\nstdout:\n" + run.out + "stderr:\n" + run.err;
}

std::multiset<std::string> JsonCodes(const RunResult& run) {
  std::multiset<std::string> codes;
  jsontest::Value root;
  std::string why;
  EXPECT_TRUE(jsontest::Parse(run.out, root, why)) << why << "\n" << run.out;
  EXPECT_EQ(root.kind, jsontest::Kind::Object) << run.out;
  EXPECT_EQ(root.Member("status").number, run.status) << run.out;
  EXPECT_EQ(root.Member("folder").kind, jsontest::Kind::String) << run.out;
  const jsontest::Value& findings = root.Member("findings");
  EXPECT_EQ(findings.kind, jsontest::Kind::Array) << run.out;
  size_t errors = 0, warnings = 0;
  for (const jsontest::Value& finding : findings.items) {
    for (const char* field : {"severity", "file", "code", "message"}) {
      EXPECT_EQ(finding.Member(field).kind, jsontest::Kind::String) << field << "\n" << run.out;
    }
    const std::string& severity = finding.Member("severity").text;
    EXPECT_TRUE(severity == "error" || severity == "warning") << severity;
    (severity == "error" ? errors : warnings)++;
    codes.insert(finding.Member("code").text);
  }
  EXPECT_EQ(root.Member("errors").number, static_cast<double>(errors)) << run.out;
  EXPECT_EQ(root.Member("warnings").number, static_cast<double>(warnings)) << run.out;
  return codes;
}

}  // namespace dirpacktest
