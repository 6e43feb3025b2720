#include "engine/file_steps.h"

#include "engine/testing_seams.h"

namespace {

FileStepObserver observer = nullptr;
void* observerContext = nullptr;

}  // namespace

void ObserveFileStepsForTesting(FileStepObserver newObserver, void* context) {
  observer = newObserver;
  observerContext = context;
}

void NoteFileStep(FileStep step, const std::wstring& path, const std::wstring& other) {
  if (observer != nullptr) observer(step, path, other, observerContext);
}

bool MoveFileDurably(const std::wstring& from, const std::wstring& to) {
  NoteFileStep(FileStep::Move, from, to);
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool ReplaceFileDurably(const std::wstring& from, const std::wstring& to) {
  NoteFileStep(FileStep::Move, from, to);
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
