#include "simhost/dbcore/sim_service.h"

#include <string>

int SimService::Unexpected(int slot) {
  RecordCall(L"slot " + std::to_wstring(slot));
  return 0;
}

int __stdcall SimService::Slot0() { return Unexpected(0); }
int __stdcall SimService::Slot1() { return Unexpected(1); }
int __stdcall SimService::Slot2() { return Unexpected(2); }
int __stdcall SimService::Slot4() { return Unexpected(4); }
int __stdcall SimService::Slot5() { return Unexpected(5); }
int __stdcall SimService::Slot6() { return Unexpected(6); }
int __stdcall SimService::Slot7() { return Unexpected(7); }
int __stdcall SimService::Slot8() { return Unexpected(8); }
int __stdcall SimService::Slot9() { return Unexpected(9); }
int __stdcall SimService::Slot10() { return Unexpected(10); }
int __stdcall SimService::Slot11() { return Unexpected(11); }
int __stdcall SimService::Slot12() { return Unexpected(12); }
int __stdcall SimService::Slot13() { return Unexpected(13); }
int __stdcall SimService::Slot14() { return Unexpected(14); }
int __stdcall SimService::Slot18() { return Unexpected(18); }

int __stdcall SimService::GetText(const wchar_t** text) {
  RecordCall(L"op3");
  if (settings_.textFails || !text_.loaded()) return 1;
  *text = settings_.nullText ? nullptr : text_.text();
  return 0;
}

int __stdcall SimService::Close() {
  RecordCall(L"op15");
  text_.Release();
  return 0;
}

int __stdcall SimService::Open(const wchar_t* path, DWORD access) {
  wchar_t mask[16] = {};
  wsprintfW(mask, L"%08X", access);
  RecordCall(L"op16 " + std::wstring(mask) + L" " + (path ? path : L"(null)"));
  text_.Release();
  if (settings_.openFails || path == nullptr) return 1;
  return text_.Load(path, access) ? 0 : 1;
}

int __stdcall SimService::IsOpen() {
  RecordCall(L"op17");
  return text_.loaded() ? 1 : 0;
}

int __stdcall SimService::Op19() {
  RecordCall(L"op19");
  return 0;
}

int __stdcall SimService::Op20() {
  RecordCall(L"op20");
  return 0;
}
