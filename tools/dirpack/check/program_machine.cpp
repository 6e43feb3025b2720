#include "tools/dirpack/check/program_machine.h"

#include <algorithm>

#include "engine/publisher_certificate.h"
#include "tools/dirpack/check/file_bytes.h"

namespace {

constexpr uint32_t kDosHeaderBytes = 0x40;
constexpr uint32_t kNewHeaderPointerAt = 0x3C;
constexpr uint32_t kFileHeaderBytes = 20;  // after the 4-byte signature
constexpr uint32_t kOptionalHeaderSizeAt = 4 + 16;
constexpr uint32_t kOptionalHeaderAt = 4 + kFileHeaderBytes;
constexpr uint32_t kOptionalHeaderMostBytes = 240;  // PE32+ with its 16 data directories
constexpr uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;

// The bytes from the "PE\0\0" signature on, `count` of them at most.
ProgramRead ReadFromSignature(const std::wstring& path, uint32_t count, std::string& pe) {
  std::string dos;
  uint64_t size = 0;
  if (!ReadFileStart(path, kDosHeaderBytes, dos, size)) return ProgramRead::CannotRead;
  if (dos.size() < kDosHeaderBytes || dos.compare(0, 2, "MZ") != 0) return ProgramRead::NotProgram;
  const uint32_t at = LittleEndianAt(dos, kNewHeaderPointerAt, 4);
  if (!ReadFileAt(path, at, count, pe)) return ProgramRead::CannotRead;
  if (pe.size() < 6 || pe.compare(0, 4, std::string("PE\0\0", 4)) != 0) return ProgramRead::NotProgram;
  return ProgramRead::Read;
}

}  // namespace

ProgramRead ReadProgramMachine(const std::wstring& path, uint16_t& machine) {
  std::string pe;
  const ProgramRead read = ReadFromSignature(path, 6, pe);
  if (read == ProgramRead::Read) machine = static_cast<uint16_t>(LittleEndianAt(pe, 4, 2));
  return read;
}

ProgramRead ReadProgramSignatureSize(const std::wstring& path, uint32_t& size) {
  std::string pe;
  const ProgramRead read = ReadFromSignature(path, kOptionalHeaderAt + kOptionalHeaderMostBytes, pe);
  if (read != ProgramRead::Read) return read;
  size = 0;
  if (pe.size() >= kOptionalHeaderAt + 2) {
    // The header says how long its optional part is; the file must hold that much.
    const uint32_t optionalBytes = LittleEndianAt(pe, kOptionalHeaderSizeAt, 2);
    const size_t end = std::min<size_t>(pe.size(), kOptionalHeaderAt + optionalBytes);
    const uint32_t magic = LittleEndianAt(pe, kOptionalHeaderAt, 2);
    const uint32_t countAt = magic == kPe32Magic ? 92 : magic == kPe32PlusMagic ? 108 : 0;
    const uint32_t sizeAt = kOptionalHeaderAt + countAt + 4 + 8 * kSecurityDirectory + 4;
    if (countAt != 0 && sizeAt + 4 <= end && LittleEndianAt(pe, kOptionalHeaderAt + countAt, 4) > kSecurityDirectory) {
      size = LittleEndianAt(pe, sizeAt, 4);
    }
  }
  return ProgramRead::Read;
}

bool ProgramBuiltForCertificate(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  const std::string marker = PAKORRA_PUBLISHER_CERT_MARKER;
  for (size_t at = bytes.find(marker); at != std::string::npos; at = bytes.find(marker, at + 1)) {
    const size_t digits = at + marker.size();
    if (digits + 64 <= bytes.size() &&
        std::all_of(bytes.begin() + digits, bytes.begin() + digits + 64,
                    [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); })) {
      return true;
    }
  }
  return false;
}
