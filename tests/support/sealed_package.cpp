#include "tests/support/sealed_package.h"

#include <windows.h>

#include <vector>

#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

void AddTree(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::string>& out) {
  for (const std::wstring& name : ListFolder(folder)) {
    const std::wstring path = folder + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      AddTree(path, prefix + name + L"\\", out);
    } else {
      out[prefix + name] = FileBytes(path);
    }
  }
}

}  // namespace

std::map<std::wstring, std::string> TreeFiles(const std::wstring& folder) {
  std::map<std::wstring, std::string> files;
  AddTree(folder, L"", files);
  return files;
}

bool SealPackageFolder(const std::wstring& folder, const std::string& lineEnd) {
  std::vector<SealLine> lines;
  for (const auto& file : TreeFiles(folder)) {
    if (file.first == kSealFileName || file.first == kSealSignatureFileName) continue;
    std::wstring slashed = file.first;
    for (wchar_t& c : slashed) {
      if (c == L'\\') c = L'/';
    }
    SealLine line;
    if (!PathToUtf8(slashed, line.path) || !Sha256Of(file.second.data(), file.second.size(), line.digest)) return false;
    lines.push_back(line);
  }
  std::string text;
  for (const char c : ComposeSealList(lines)) text += c == '\n' ? lineEnd : std::string(1, c);
  return WriteFileBytes(folder + L"\\" + kSealFileName, text);
}

bool SignSealOnUnixSide(const std::wstring& folder, const std::wstring& certificate, const std::wstring& key,
                        bool signedAttributes) {
  const std::wstring signature = folder + L"\\" + kSealSignatureFileName;
  std::string seal, cert, pem, out;
  if (!UnixPathOf(folder + L"\\" + kSealFileName, seal) || !UnixPathOf(certificate, cert) || !UnixPathOf(key, pem) ||
      !UnixPathOf(signature, out)) {
    return false;
  }
  // Made under another name and renamed: the file is there only once it is whole.
  const std::wstring script = L"/usr/bin/openssl cms -sign -binary -md sha256 -outform DER" +
                              std::wstring(signedAttributes ? L"" : L" -noattr") + L" -in '" + Wide(seal) +
                              L"' -signer '" + Wide(cert) + L"' -inkey '" + Wide(pem) + L"' -out '" + Wide(out) +
                              L".new' && /bin/mv '" + Wide(out) + L".new' '" + Wide(out) + L"'";
  DeleteFileW(signature.c_str());
  return RunUnixShell(script, signature);
}

}  // namespace testsupport
