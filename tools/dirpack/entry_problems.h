// How dirpack judges entries against the wizard, alike for create, verify, extract and check: the
// names it refuses, and entries that install the same file as one before them (the later one
// overwrites the earlier one's file). Each command words what it finds for its own readers.
#pragma once

#include <cstddef>
#include <map>
#include <string>

struct RefusedNames {
  bool id = false;   // not a plain id (IsPlainDictFileId)
  bool ext = false;  // not a plain extension (IsPlainDictFileExt)
};

class EntryProblems {
 public:
  static RefusedNames NamesRefused(const std::wstring& id, const std::wstring& ext);

  // Notes the entry at `position` of the caller's list. False, with `earlier` the position of the
  // first entry noted that installs the same file (EntryFileKey), when there is one.
  bool NoteFile(const std::wstring& id, const std::wstring& ext, size_t position, size_t& earlier);

 private:
  std::map<std::wstring, size_t> m_firstByFile;
};
