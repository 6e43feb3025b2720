#include "simhost/dbcore/sim_service.h"

#include <string>

namespace {

// The one service object of the process, as its constructor saw itself. Kept outside the object:
// a slot called with a wrong `this` must be able to tell without reading through it.
const SimService* handedOut = nullptr;

}  // namespace

SimService::SimService() { handedOut = this; }

bool SimService::CalledOnSelf(int slot) const {
  if (this == handedOut) return true;
  RecordCall(L"convention fault: slot " + std::to_wstring(slot) + L" called on another object");
  return false;
}

int SimService::Unexpected(int slot) {
  if (!CalledOnSelf(slot)) return 1;
  RecordCall(L"slot " + std::to_wstring(slot));
  return 0;
}

int SimService::Slot0() { return Unexpected(0); }
int SimService::Slot1() { return Unexpected(1); }
int SimService::Slot2() { return Unexpected(2); }
int SimService::Slot4() { return Unexpected(4); }
int SimService::Slot5() { return Unexpected(5); }
int SimService::Slot6() { return Unexpected(6); }
int SimService::Slot7() { return Unexpected(7); }
int SimService::Slot8() { return Unexpected(8); }
int SimService::Slot9() { return Unexpected(9); }
int SimService::Slot10() { return Unexpected(10); }
int SimService::Slot11() { return Unexpected(11); }
int SimService::Slot12() { return Unexpected(12); }
int SimService::Slot13() { return Unexpected(13); }
int SimService::Slot14() { return Unexpected(14); }
int SimService::Slot18() { return Unexpected(18); }

int SimService::GetText(const wchar_t** text) {
  if (!CalledOnSelf(3)) return 1;
  RecordCall(L"op3");
  if (text == nullptr) {
    RecordCall(L"argument fault: op3 without a text pointer");
    return 1;
  }
  if (settings_.textFails || !text_.loaded()) return 1;
  *text = settings_.nullText ? nullptr : text_.text();
  return 0;
}

int SimService::Close() {
  if (!CalledOnSelf(15)) return 1;
  RecordCall(L"op15");
  text_.Release();
  return 0;
}

int SimService::Open(const wchar_t* path, DWORD access) {
  if (!CalledOnSelf(16)) return 1;
  wchar_t mask[16] = {};
  wsprintfW(mask, L"%08X", access);
  RecordCall(L"op16 " + std::wstring(mask) + L" " + (path ? path : L"(null)"));
  text_.Release();
  if (settings_.openFails || path == nullptr) return 1;
  return text_.Load(path, access) ? 0 : 1;
}

int SimService::IsOpen() {
  if (!CalledOnSelf(17)) return 0;
  RecordCall(L"op17");
  return text_.loaded() ? 1 : 0;
}

int SimService::Recorded(int slot) {
  if (!CalledOnSelf(slot)) return 1;
  RecordCall(L"op" + std::to_wstring(slot));
  return 0;
}

int SimService::Op19() { return Recorded(19); }
int SimService::Op20() { return Recorded(20); }
