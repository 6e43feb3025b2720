// How dirpack judges entries against the wizard, alike for create, verify, extract and check: the
// names it refuses, and entries that install the same file as one before them (the later one
// overwrites the earlier one's file). Each command words what it finds for its own readers.
#pragma once

#include <cstddef>
#include <map>
#include <string>

// The words for an extension refused as not a dictionary's, alike in every command.
constexpr const char* kOnlyDictionariesInstall = "the wizard installs only \".dic\" and \".dip\" files";

struct RefusedNames {
  bool id = false;   // not a plain id (IsPlainDictFileId)
  bool ext = false;  // not a plain extension (IsPlainDictFileExt)
  bool kind = false;  // a plain extension, but not a dictionary's (IsDictFileExt): ".exe", ".txt"
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
