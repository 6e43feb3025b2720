#include "tools/dirpack/check/program_machine.h"

#include "tools/dirpack/check/file_bytes.h"

namespace {

constexpr uint32_t kDosHeaderBytes = 0x40;
constexpr uint32_t kNewHeaderPointerAt = 0x3C;

}  // namespace

ProgramRead ReadProgramMachine(const std::wstring& path, uint16_t& machine) {
  std::string dos;
  uint64_t size = 0;
  if (!ReadFileStart(path, kDosHeaderBytes, dos, size)) return ProgramRead::CannotRead;
  if (dos.size() < kDosHeaderBytes || dos.compare(0, 2, "MZ") != 0) return ProgramRead::NotProgram;
  const uint32_t at = LittleEndianAt(dos, kNewHeaderPointerAt, 4);
  std::string pe;
  if (!ReadFileAt(path, at, 6, pe)) return ProgramRead::CannotRead;
  if (pe.size() < 6 || pe.compare(0, 4, std::string("PE\0\0", 4)) != 0) return ProgramRead::NotProgram;
  machine = static_cast<uint16_t>(LittleEndianAt(pe, 4, 2));
  return ProgramRead::Read;
}
