// A package folder sealed as a publisher seals it: package.sha256 listing every file below the
// folder (the seal and its signature aside) with its SHA-256, and the whole tree's bytes, to show
// that a refused run changed nothing.
#pragma once

#include <map>
#include <string>

namespace testsupport {

// Writes `folder`\package.sha256, sorted, every line ending with `lineEnd`. False when a file
// cannot be read or the seal written.
bool SealPackageFolder(const std::wstring& folder, const std::string& lineEnd = "\n");

// Signs `folder`\package.sha256 into package.sha256.p7s as a publisher does, with openssl on the
// Unix side: a detached CMS signature by SHA-256, DER, with or without signed attributes. The
// certificate and its key are PEM files.
bool SignSealOnUnixSide(const std::wstring& folder, const std::wstring& certificate, const std::wstring& key,
                        bool signedAttributes);

// Every file below `folder` by its relative name ("dict_image\x.bmp"), with its bytes.
std::map<std::wstring, std::string> TreeFiles(const std::wstring& folder);

}  // namespace testsupport
