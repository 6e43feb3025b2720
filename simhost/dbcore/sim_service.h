// The simulated core's service object. Its table of virtual functions is laid out as the probe
// calls it, by position: 21 slots, ordinary virtual member functions (__thiscall on i686), no
// virtual destructor, no base class. Every slot first checks that it was called on this very
// object: a caller using another calling convention hands over `this` (and the arguments) in the
// wrong places, and the slot then fails and records the fault instead of reading garbage.
#pragma once

#include <windows.h>

#include "simhost/dbcore/dictionary_text.h"
#include "simhost/dbcore/sim_control.h"

class SimService {
 public:
  SimService();
  virtual int Slot0();
  virtual int Slot1();
  virtual int Slot2();
  virtual int GetText(const wchar_t** text);  // 3
  virtual int Slot4();
  virtual int Slot5();
  virtual int Slot6();
  virtual int Slot7();
  virtual int Slot8();
  virtual int Slot9();
  virtual int Slot10();
  virtual int Slot11();
  virtual int Slot12();
  virtual int Slot13();
  virtual int Slot14();
  virtual int Close();                                  // 15
  virtual int Open(const wchar_t* path, DWORD access);  // 16
  virtual int IsOpen();                                 // 17
  virtual int Slot18();
  virtual int Op19();
  virtual int Op20();

  // The settings of the current period of use, taken when it began.
  void set_settings(const SimSettings& settings) { settings_ = settings; }

 private:
  int Unexpected(int slot);
  int Recorded(int slot);
  // False (and the fault recorded) when `this` is not the object that was handed out.
  bool CalledOnSelf(int slot) const;

  SimSettings settings_;
  GuardedText text_;
};
