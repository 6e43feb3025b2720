// What the folder check reads of a Windows program or library from its PE header: the DOS
// header's "MZ", at offset 0x3C the position of the "PE\0\0" signature, right after it the file
// header with the machine, and then the optional header, whose data directory 4
// (IMAGE_DIRECTORY_ENTRY_SECURITY) gives the certificate table that holds an Authenticode signature.
#pragma once

#include <cstdint>
#include <string>

constexpr uint16_t kMachineI386 = 0x014C;   // what our users' 32-bit Windows runs
constexpr uint16_t kMachineAmd64 = 0x8664;  // the x86_64 twins

enum class ProgramRead { Read, CannotRead, NotProgram };

// Read: machine holds the header's machine field.
ProgramRead ReadProgramMachine(const std::wstring& path, uint16_t& machine);

// Read: size holds the certificate table's size in bytes, 0 for a program that carries no
// signature (or whose optional header has no data directory for one).
ProgramRead ReadProgramSignatureSize(const std::wstring& path, uint32_t& size);

// Whether the program was built for its publisher's certificate: after the marker the build
// writes into it (engine/publisher_certificate.h.in) come 64 hexadecimal digits. Such a wizard,
// signed yet or not, expects its publisher's library and seal.
bool ProgramBuiltForCertificate(const std::wstring& path);
