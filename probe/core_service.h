// What vintora requires of the host's database core library (LXDBCoreplus.dll): three exported
// entry points and a service object reached through its table of virtual functions.
#pragma once

#include <windows.h>

// Exported by their plain names; plain C calling convention.
using CoreInitializeFn = int(__cdecl*)();    // 0 opens a period of use of the core
using CoreUninitializeFn = int(__cdecl*)();  // closes it; result ignored
class CoreService;
using CoreGetServiceFn = int(__cdecl*)(CoreService** service);  // 0 on success

// Access mask handed to OpenDictionary: the generic-read right.
constexpr DWORD kCoreOpenForReading = 0x80000000;

// The core's service object, called by position in its table. The core is built by another
// compiler, so this class declares nothing but the 21 slots in table order: no data, no virtual
// destructor (whose slot placement differs between compilers). Slots vintora does not use are
// placeholders that are never called.
//
// Calling convention, the binary contract with the host's core: the slots are ordinary virtual
// member functions with no convention keyword, so each compiler uses its default for members.
// On i686 that is __thiscall for MSVC and for GCC (MinGW 4.7 and later) alike: `this` in ECX,
// the arguments on the stack, the callee pops them. A core whose class was written the ordinary
// way expects exactly that; the COM convention would pass `this` on the stack and leave ECX
// undefined. On x86_64 there is one convention only.
class CoreService {
 public:
  virtual void Unused0() = 0;
  virtual void Unused1() = 0;
  virtual void Unused2() = 0;
  // 3: 0 on success, *text then addresses the open dictionary's descriptive text, which the
  // service object goes on owning.
  virtual int GetDescriptiveText(const wchar_t** text) = 0;
  virtual void Unused4() = 0;
  virtual void Unused5() = 0;
  virtual void Unused6() = 0;
  virtual void Unused7() = 0;
  virtual void Unused8() = 0;
  virtual void Unused9() = 0;
  virtual void Unused10() = 0;
  virtual void Unused11() = 0;
  virtual void Unused12() = 0;
  virtual void Unused13() = 0;
  virtual void Unused14() = 0;
  virtual int CloseDictionary() = 0;                                  // 15, result ignored
  virtual int OpenDictionary(const wchar_t* path, DWORD access) = 0;  // 16, result ignored
  virtual int IsDictionaryOpen() = 0;                                 // 17, nonzero: open
  virtual void Unused18() = 0;
  // 19 and 20 bracket the use of a dictionary: 19 then 20 before opening, 20 again after
  // closing. Their meaning is the core's own; results ignored.
  virtual int Operation19() = 0;
  virtual int Operation20() = 0;
};
