#include "engine/target_file.h"

#include "engine/file_steps.h"
#include "engine/testing_seams.h"

namespace {

TargetFault injectedFault = TargetFault::None;
uint64_t faultAfterBytes = 0;
uint64_t bytesSinceInjection = 0;
uint64_t writeCalls = 0;  // written by the installing thread; read by benchmarks afterwards

}  // namespace

uint64_t FileWriteCalls() { return writeCalls; }

void InjectTargetFaultForTesting(TargetFault fault, uint64_t afterBytes) {
  injectedFault = fault;
  faultAfterBytes = afterBytes;
  bytesSinceInjection = 0;
}

TargetFile::~TargetFile() { Close(); }

bool TargetFile::Create(const std::wstring& path) {
  if (handle_ != INVALID_HANDLE_VALUE || path.empty()) return false;
  NoteFileStep(FileStep::Create, path);
  handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ != INVALID_HANDLE_VALUE) path_ = path;
  return handle_ != INVALID_HANDLE_VALUE;
}

bool TargetFile::Flush() {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  NoteFileStep(FileStep::Flush, path_);
  return FlushFileBuffers(handle_) != 0;
}

bool TargetFile::Write(const void* data, uint32_t length, uint32_t& wrote) {
  wrote = 0;
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  uint32_t allowed = length;
  if (injectedFault == TargetFault::Write) {
    const uint64_t room = faultAfterBytes > bytesSinceInjection ? faultAfterBytes - bytesSinceInjection : 0;
    if (room < length) allowed = static_cast<uint32_t>(room);
  }
  DWORD written = 0;
  NoteFileStep(FileStep::Write, path_);
  if (allowed > 0) {
    ++writeCalls;
    if (!WriteFile(handle_, data, allowed, &written, nullptr)) return false;
  }
  wrote = written;
  bytesSinceInjection += written;
  if (allowed < length) {
    SetLastError(ERROR_DISK_FULL);
    return false;
  }
  return written == length;
}

bool TargetFile::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  NoteFileStep(FileStep::Close, path_);
  const bool closed = CloseHandle(handle_) != 0;
  handle_ = INVALID_HANDLE_VALUE;
  return closed && injectedFault != TargetFault::Close;
}
