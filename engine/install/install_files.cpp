#include "engine/install/install_files.h"

#include "engine/processes/process_control.h"
#include "engine/testing_seams.h"

namespace {

FileStepObserver observer = nullptr;
void* observerContext = nullptr;

TargetFault injectedFault = TargetFault::None;
uint64_t faultAfterBytes = 0;
uint64_t bytesSinceInjection = 0;
uint64_t writeCalls = 0;  // written by the installing thread; read by benchmarks afterwards

// Every file of the run is created here: reported, then made. CREATE_NEW never replaces a file.
HANDLE CreateNew(const std::wstring& path, DWORD access, DWORD sharing, DWORD attributes) {
  NoteFileStep(FileStep::Create, path);
  return CreateFileW(path.c_str(), access, sharing, nullptr, CREATE_NEW, attributes, nullptr);
}

// The rename is on disk when this returns.
bool RenameDurably(const std::wstring& from, const std::wstring& to, DWORD flags) {
  NoteFileStep(FileStep::Move, from, to);
  return MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0;
}

// The host's service most often holds the file open: with it gone, a failed rename may pass.
template <typename Rename>
bool RenameWithServiceStopped(const std::wstring& path, Rename rename) {
  const DWORD original = GetFileAttributesW(path.c_str());
  if (rename()) return true;
  if (StopDictService() && rename()) return true;
  if (original != INVALID_FILE_ATTRIBUTES && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesAt(path, original);
  }
  return false;
}

}  // namespace

void ObserveFileStepsForTesting(FileStepObserver newObserver, void* context) {
  observer = newObserver;
  observerContext = context;
}

void NoteFileStep(FileStep step, const std::wstring& path, const std::wstring& other) {
  if (observer != nullptr) observer(step, path, other, observerContext);
}

uint64_t FileWriteCalls() { return writeCalls; }

void InjectTargetFaultForTesting(TargetFault fault, uint64_t afterBytes) {
  injectedFault = fault;
  faultAfterBytes = afterBytes;
  bytesSinceInjection = 0;
}

TargetFile::~TargetFile() { Close(); }

bool TargetFile::Create(const std::wstring& path) {
  if (handle_ != INVALID_HANDLE_VALUE || path.empty()) return false;
  handle_ =
      CreateNew(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_ATTRIBUTE_NORMAL);
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

bool CreateEmptyFile(const std::wstring& path) {
  const HANDLE file = CreateNew(path, GENERIC_READ | GENERIC_WRITE, 0, 0);
  if (file == INVALID_HANDLE_VALUE) return false;
  NoteFileStep(FileStep::Close, path);
  return CloseHandle(file) != 0;
}

bool MoveAside(const std::wstring& path) {
  const std::wstring backup = BackupPathOf(path);
  return RenameWithServiceStopped(path, [&] { return MakeWritable(path) && RenameDurably(path, backup, 0); });
}

bool PutBack(const std::wstring& path) {
  const std::wstring backup = BackupPathOf(path);
  return MakeWritable(backup) && RenameDurably(backup, path, MOVEFILE_REPLACE_EXISTING);
}

bool Place(const std::wstring& from, const std::wstring& path) { return RenameDurably(from, path, 0); }

bool PlaceOver(const std::wstring& from, const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) MakeWritable(path);
  return RenameDurably(from, path, MOVEFILE_REPLACE_EXISTING);
}

bool PlaceOverInstalled(const std::wstring& from, const std::wstring& path) {
  return RenameWithServiceStopped(
      path, [&] { return MakeWritable(path) && RenameDurably(from, path, MOVEFILE_REPLACE_EXISTING); });
}

bool DeleteFileAtPath(const std::wstring& path) {
  MakeWritable(path);
  NoteFileStep(FileStep::Delete, path);
  return DeleteFileW(path.c_str()) != 0;
}

bool SetFileAttributesAt(const std::wstring& path, DWORD attributes) {
  NoteFileStep(FileStep::SetAttributes, path);
  return SetFileAttributesW(path.c_str(), attributes) != 0;
}

bool MakeWritable(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  attributes = attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : attributes & ~FILE_ATTRIBUTE_READONLY;
  // Read-only alone leaves 0, which the file system takes as "no change": say normal instead.
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesAt(path, attributes);
}
