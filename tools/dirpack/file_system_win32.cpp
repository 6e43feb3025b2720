// dirpack's files on Windows: wide paths throughout, temporary files created exclusively and
// moved over the final name in one step.
#include <windows.h>

#include "tools/dirpack/file_system.h"

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool OutputFile::Create(const std::wstring& finalPath) {
  Discard();
  m_published = false;
  // A stale temporary name from an interrupted run is skipped, never reused.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temp =
        finalPath + L".dirpack-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      m_handle = reinterpret_cast<intptr_t>(file);
      m_finalPath = finalPath;
      m_tempPath = temp;
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool OutputFile::Write(const void* data, size_t size) {
  if (m_handle == -1) return false;
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(m_handle), at, part, &written, nullptr) || written == 0) return false;
    at += written;
    size -= written;
  }
  return true;
}

bool OutputFile::CloseHandleOnly() {
  if (m_handle == -1) return true;
  const bool ok = CloseHandle(AsHandle(m_handle)) != FALSE;
  m_handle = -1;
  return ok;
}

bool OutputFile::Finish() {
  if (m_handle == -1) return false;
  const bool flushed = FlushFileBuffers(AsHandle(m_handle)) != FALSE;
  return CloseHandleOnly() && flushed;
}

bool OutputFile::Publish() {
  if (m_handle != -1 || m_tempPath.empty() || m_published) return false;
  if (!MoveFileExW(m_tempPath.c_str(), m_finalPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  m_published = true;
  return true;
}

void OutputFile::Discard() {
  CloseHandleOnly();
  if (!m_published && !m_tempPath.empty()) DeleteFileW(m_tempPath.c_str());
  m_tempPath.clear();
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolders(const std::wstring& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const std::wstring parent = FolderOf(path);
  // A drive ("C:") or a share's root is never created, only used.
  if (!parent.empty() && parent != path && parent.back() != L':' && !MakeFolders(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || IsFolder(path);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + L"\\" + name;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L"";
  // Keep the separator of a root such as "C:\".
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// "C:name" is relative to the drive's current folder, but still not to ours: treat it as rooted.
bool IsRootedPath(const std::wstring& path) {
  return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}
