// Files and folders as dirpack writes them, on the platform's wide paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file written under a temporary name beside its final one and renamed over it only once it
// is complete, so that a failed or interrupted run never leaves a partial file under the final
// name. The temporary file is removed unless it was published.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Discard(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Create(const std::wstring& finalPath);
  bool Write(const void* data, size_t size);
  // Flushes and closes the file, which stays under its temporary name.
  bool Finish();
  // Renames the finished file over the final path.
  bool Publish();
  void Discard();
  const std::wstring& TempPath() const { return m_tempPath; }

 private:
  bool CloseHandleOnly();

  intptr_t m_handle = -1;
  std::wstring m_finalPath;
  std::wstring m_tempPath;
  bool m_published = false;
};

bool IsFolder(const std::wstring& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The folder part of a path, empty for a bare name.
std::wstring FolderOf(const std::wstring& path);
// Whether the path names its place without a current folder (a drive or root on Windows).
bool IsRootedPath(const std::wstring& path);
