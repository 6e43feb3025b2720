// The package's dictconfig.ini as the wizard's registration reads it: through the system's
// profile functions on Windows, through ProfileText, which follows their rules, elsewhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

class ProfileText;

class ProfileFile {
 public:
  // False when the file cannot be read.
  bool Open(const std::wstring& path);

  // Section names as stored, in file order, UTF-16 code units.
  std::vector<std::wstring> SectionNames() const;
  // The key's whole value, however long, as read with an empty default; empty when missing.
  std::wstring Value(const std::wstring& section, const std::wstring& key) const;

 private:
  std::wstring m_path;
  std::shared_ptr<const ProfileText> m_text;  // the file's text where no profile functions exist
};
