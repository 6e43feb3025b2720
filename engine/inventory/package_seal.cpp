#include "engine/inventory/package_seal.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "engine/host_paths.h"
#include "engine/inventory/held_folder.h"
#include "engine/inventory/pinned_file.h"
#include "engine/inventory/publisher_signature.h"
#include "engine/inventory/seal_signature.h"
#include "engine/testing_seams.h"

namespace {

// A seal larger than this lists no package's files (65,536 entries' images take under 8 MiB).
constexpr uint64_t kMostSealBytes = 32 * 1024 * 1024;
constexpr uint64_t kMostSignatureBytes = 1024 * 1024;
constexpr uint32_t kReadBytes = 1024 * 1024;

struct Listed {
  SealLine line;
  bool read = false;
};

struct SealState {
  bool loaded = false;
  bool sealed = false;
  std::map<std::string, Listed> byKey;   // by SealPathKey
  std::wstring refusedPath;              // the first refusal's file; empty while none
  std::shared_ptr<ByteSource> heldSeal;  // it and heldSignature held to the end (package_seal.h)
  std::shared_ptr<ByteSource> heldSignature;
};

SealState state;

std::wstring FullPath(const std::wstring& relative) {
  std::wstring folder;
  GetModuleDir(folder);  // ends with a backslash
  return folder + relative;
}

std::wstring WideHex(const Sha256Digest& digest) {
  const std::string digits = HexDigits(digest);
  return std::wstring(digits.begin(), digits.end());
}

bool Refuse(const std::wstring& relative, const std::wstring& reason) {
  const std::wstring path = FullPath(relative);
  TraceDiagnostic(L"PackageSeal: refused: " + path + L": " + reason);
  if (state.refusedPath.empty()) state.refusedPath = path;
  return false;
}

// The key a wizard's relative name is listed by: '/' between folders, UTF-8, case aside.
bool KeyOf(const std::wstring& relative, std::string& key) {
  std::wstring slashed = relative;
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  std::string utf8;
  if (!PathToUtf8(slashed, utf8)) return false;
  key = SealPathKey(utf8);
  return true;
}

// One file of the package folder read whole, held in `held`; false with a refusal.
bool ReadHeld(const wchar_t* name, uint64_t most, std::string& bytes, std::shared_ptr<ByteSource>& held) {
  PinnedFile pinned;
  std::wstring why;
  if (PinPackageFile(name, pinned, why) != PinOutcome::Pinned) return Refuse(name, why);
  if (!ReadWholeSource(*pinned.source, most, bytes)) return Refuse(name, L"unreadable or too large");
  held = std::move(pinned.source);
  return true;
}

// Reads the seal at the first question: false when the package is refused for it.
bool LoadSeal() {
  state.loaded = true;
  const bool signedWizard = WizardExpectsPublisher();
  PinnedFile pinned;
  std::wstring why;
  if (const PinOutcome pin = PinPackageFile(kSealFileName, pinned, why); pin != PinOutcome::Pinned) {
    if (pin == PinOutcome::Missing && !signedWizard) return true;  // not sealed: read as before
    return Refuse(kSealFileName,
                  pin == PinOutcome::Missing ? L"missing: a signed wizard installs only a sealed package" : why);
  }
  std::string bytes;
  if (!ReadWholeSource(*pinned.source, kMostSealBytes, bytes)) return Refuse(kSealFileName, L"unreadable or too large");
  state.heldSeal = std::move(pinned.source);
  state.sealed = true;

  if (signedWizard) {
    std::string signature;
    if (!ReadHeld(kSealSignatureFileName, kMostSignatureBytes, signature, state.heldSignature)) return false;
    PublisherRefusal refusal;
    if (!SealSignedByWizardsPublisher(bytes, signature, refusal)) {
      return Refuse(kSealSignatureFileName, refusal.reason);
    }
  }
  std::vector<SealLine> lines;
  size_t badLine = 0;
  SealProblem problem = SealProblem::None;
  if (!ParseSealList(bytes, lines, badLine, problem)) {
    std::wstring reason;
    Utf8ToPath(DescribeSealProblem(problem, badLine), reason);
    return Refuse(kSealFileName, reason);
  }
  for (SealLine& line : lines) {
    const std::string key = SealPathKey(line.path);
    state.byKey[key] = Listed{std::move(line), false};
  }
  return true;
}

bool DigestOf(ByteSource& source, Sha256Digest& digest) {
  if (!source.Seek(0)) return false;
  std::vector<uint8_t> buffer(kReadBytes);
  Sha256 hash;
  uint32_t got = 0;
  do {
    if (!source.Read(buffer.data(), kReadBytes, got)) return false;
    hash.Update(buffer.data(), got);
  } while (got == kReadBytes);
  return hash.Finish(digest) && source.Seek(0);
}

}  // namespace

bool SealAdmitsFile(const std::wstring& relative, ByteSource& source) {
  if (!state.loaded) LoadSeal();
  if (!state.refusedPath.empty()) return false;
  if (!state.sealed) return true;
  std::string key;
  const auto found = KeyOf(relative, key) ? state.byKey.find(key) : state.byKey.end();
  if (found == state.byKey.end()) return Refuse(relative, L"not listed in the seal");
  Sha256Digest digest;
  if (!DigestOf(source, digest)) return Refuse(relative, L"unreadable");
  if (digest != found->second.line.digest) {
    return Refuse(relative, L"SHA-256 " + WideHex(digest) + L", the seal lists " + WideHex(found->second.line.digest));
  }
  found->second.read = true;
  return true;
}

bool SealHolds() {
  if (!state.loaded) LoadSeal();
  if (!state.refusedPath.empty()) return false;
  if (!state.sealed) return true;
  std::wstring folder;
  HeldFolder held;
  std::wstring why;
  if (!GetModuleDir(folder) || !HoldFolder(folder, held, why)) return Refuse(L"", L"the folder cannot be read");
  for (const auto& entry : state.byKey) {
    if (entry.second.read) continue;
    std::wstring relative;
    Utf8ToPath(entry.second.line.path, relative);
    std::replace(relative.begin(), relative.end(), L'/', L'\\');
    if (!ExistsBelowHeldFolder(held, relative)) return Refuse(relative, L"listed in the seal but missing");
  }
  return true;
}

bool SealRefusedFile(std::wstring& path) {
  if (state.refusedPath.empty()) return false;
  path = state.refusedPath;
  return true;
}

SealSummary GetSealSummary() {
  SealSummary summary;
  summary.sealed = state.sealed;
  summary.listed = state.byKey.size();
  for (const auto& entry : state.byKey) summary.matched += entry.second.read ? 1 : 0;
  return summary;
}

void ResetPackageSealForTesting() { state = SealState{}; }
