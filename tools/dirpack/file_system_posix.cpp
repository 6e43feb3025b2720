// dirpack's files on POSIX systems: paths in UTF-8, temporary files created exclusively.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/dirpack/file_system.h"
#include "engine/format/utf8_text.h"

bool OutputFile::Create(const std::wstring& finalPath) {
  Discard();
  m_published = false;
  // A stale temporary name from an interrupted run is skipped, never reused.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temp = finalPath + L".dirpack-" + std::to_wstring(getpid()) + L"-" + std::to_wstring(attempt);
    const int fd = open(PathToUtf8(temp).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      m_handle = fd;
      m_finalPath = finalPath;
      m_tempPath = temp;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool OutputFile::Write(const void* data, size_t size) {
  if (m_handle < 0) return false;
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(static_cast<int>(m_handle), at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::CloseHandleOnly() {
  if (m_handle < 0) return true;
  const bool ok = close(static_cast<int>(m_handle)) == 0;
  m_handle = -1;
  return ok;
}

bool OutputFile::Finish() {
  if (m_handle < 0) return false;
  const bool synced = fsync(static_cast<int>(m_handle)) == 0;
  return CloseHandleOnly() && synced;
}

bool OutputFile::Publish() {
  if (m_handle >= 0 || m_tempPath.empty() || m_published) return false;
  if (std::rename(PathToUtf8(m_tempPath).c_str(), PathToUtf8(m_finalPath).c_str()) != 0) return false;
  m_published = true;
  return true;
}

void OutputFile::Discard() {
  CloseHandleOnly();
  if (!m_published && !m_tempPath.empty()) unlink(PathToUtf8(m_tempPath).c_str());
  m_tempPath.clear();
}

bool IsFolder(const std::wstring& path) {
  struct stat info;
  return stat(PathToUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::wstring& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const std::wstring parent = FolderOf(path);
  if (!parent.empty() && parent != path && !MakeFolders(parent)) return false;
  return mkdir(PathToUtf8(path).c_str(), 0755) == 0 || IsFolder(path);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return folder.back() == L'/' ? folder + name : folder + L"/" + name;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'/');
  if (slash == std::wstring::npos) return L"";
  return slash == 0 ? L"/" : path.substr(0, slash);
}

bool IsRootedPath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }
