// The simulated core's service object. Its table of virtual functions is laid out as the probe
// calls it, by position: 21 slots, __stdcall on i686, no virtual destructor, no base class.
#pragma once

#include <windows.h>

#include "simhost/dbcore/dictionary_text.h"
#include "simhost/dbcore/sim_control.h"

class SimService {
 public:
  virtual int __stdcall Slot0();
  virtual int __stdcall Slot1();
  virtual int __stdcall Slot2();
  virtual int __stdcall GetText(const wchar_t** text);  // 3
  virtual int __stdcall Slot4();
  virtual int __stdcall Slot5();
  virtual int __stdcall Slot6();
  virtual int __stdcall Slot7();
  virtual int __stdcall Slot8();
  virtual int __stdcall Slot9();
  virtual int __stdcall Slot10();
  virtual int __stdcall Slot11();
  virtual int __stdcall Slot12();
  virtual int __stdcall Slot13();
  virtual int __stdcall Slot14();
  virtual int __stdcall Close();                                  // 15
  virtual int __stdcall Open(const wchar_t* path, DWORD access);  // 16
  virtual int __stdcall IsOpen();                                 // 17
  virtual int __stdcall Slot18();
  virtual int __stdcall Op19();
  virtual int __stdcall Op20();

  // The settings of the current period of use, taken when it began.
  void set_settings(const SimSettings& settings) { settings_ = settings; }

 private:
  int Unexpected(int slot);

  SimSettings settings_;
  GuardedText text_;
};
