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
// placeholders that are never called. On i686 every slot is __stdcall, the COM convention that
// both MSVC and GCC lay out the same way (this on the stack, callee pops); the simulated core
// uses the same. On x86_64 there is only one convention and the keyword is ignored.
class CoreService {
 public:
  virtual void __stdcall Unused0() = 0;
  virtual void __stdcall Unused1() = 0;
  virtual void __stdcall Unused2() = 0;
  // 3: 0 on success, *text then addresses the open dictionary's descriptive text, which the
  // service object goes on owning.
  virtual int __stdcall GetDescriptiveText(const wchar_t** text) = 0;
  virtual void __stdcall Unused4() = 0;
  virtual void __stdcall Unused5() = 0;
  virtual void __stdcall Unused6() = 0;
  virtual void __stdcall Unused7() = 0;
  virtual void __stdcall Unused8() = 0;
  virtual void __stdcall Unused9() = 0;
  virtual void __stdcall Unused10() = 0;
  virtual void __stdcall Unused11() = 0;
  virtual void __stdcall Unused12() = 0;
  virtual void __stdcall Unused13() = 0;
  virtual void __stdcall Unused14() = 0;
  virtual int __stdcall CloseDictionary() = 0;                                  // 15, result ignored
  virtual int __stdcall OpenDictionary(const wchar_t* path, DWORD access) = 0;  // 16, result ignored
  virtual int __stdcall IsDictionaryOpen() = 0;                                 // 17, nonzero: open
  virtual void __stdcall Unused18() = 0;
  // 19 and 20 bracket the use of a dictionary: 19 then 20 before opening, 20 again after
  // closing. Their meaning is the core's own; results ignored.
  virtual int __stdcall Operation19() = 0;
  virtual int __stdcall Operation20() = 0;
};
