// The descriptive text of a simulated dictionary file, held in read-only memory that ends at a
// page that cannot be read: whoever reads past the terminator, or writes into the core's text,
// faults at once instead of going unnoticed.
#pragma once

#include <windows.h>

class GuardedText {
 public:
  GuardedText() = default;
  ~GuardedText() { Release(); }

  // Reads the file's text (see README.md); false when the file cannot be opened.
  bool Load(const wchar_t* path, DWORD access);
  void Release();
  bool loaded() const { return text_ != nullptr; }
  const wchar_t* text() const { return text_; }

  GuardedText(const GuardedText&) = delete;
  GuardedText& operator=(const GuardedText&) = delete;

 private:
  void* region_ = nullptr;
  const wchar_t* text_ = nullptr;
};
