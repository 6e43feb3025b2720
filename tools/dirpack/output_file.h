// A file dirpack writes: under a temporary name beside its final one, renamed over it only once it
// is complete, so that a failed or interrupted run never leaves a partial file under the final
// name. The temporary file is removed unless it was published.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "engine/format/byte_file.h"

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Discard(); }

  bool Create(const std::wstring& finalPath);
  bool Write(const void* data, size_t size);
  // Flushes and closes the file, which stays under its temporary name.
  bool Finish();
  // Renames the finished file over the final path.
  bool Publish();
  void Discard();
  const std::wstring& TempPath() const { return m_tempPath; }

  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

 private:
  std::unique_ptr<NewByteFile> m_file;
  std::wstring m_finalPath;
  std::wstring m_tempPath;
  bool m_published = false;
};
