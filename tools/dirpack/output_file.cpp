#include "tools/dirpack/output_file.h"

bool OutputFile::Create(const std::wstring& finalPath) {
  Discard();
  m_published = false;
  // A stale temporary name from an interrupted run is skipped, never reused.
  const std::wstring prefix = finalPath + L".dirpack-" + std::to_wstring(CurrentProcessNumber()) + L"-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temp = prefix + std::to_wstring(attempt);
    switch (CreateNewByteFile(temp, m_file)) {
      case NewFileResult::Created:
        m_finalPath = finalPath;
        m_tempPath = temp;
        return true;
      case NewFileResult::NameTaken:
        continue;
      case NewFileResult::Failed:
        return false;
    }
  }
  return false;
}

bool OutputFile::Write(const void* data, size_t size) { return m_file && m_file->Write(data, size); }

bool OutputFile::Finish() {
  if (!m_file) return false;
  const bool finished = m_file->FlushAndClose();
  m_file.reset();
  return finished;
}

bool OutputFile::Publish() {
  if (m_file || m_tempPath.empty() || m_published) return false;
  m_published = RenameByteFileOver(m_tempPath, m_finalPath);
  return m_published;
}

void OutputFile::Discard() {
  m_file.reset();
  if (!m_published && !m_tempPath.empty()) DeleteByteFile(m_tempPath);
  m_tempPath.clear();
}
