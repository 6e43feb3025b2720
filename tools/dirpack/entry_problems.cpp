#include "tools/dirpack/entry_problems.h"

#include "engine/format/entry_name.h"

RefusedNames EntryProblems::NamesRefused(const std::wstring& id, const std::wstring& ext) {
  const bool plainExt = IsPlainDictFileExt(ext);
  return {!IsPlainDictFileId(id), !plainExt, plainExt && !IsDictFileExt(ext)};
}

bool EntryProblems::NoteFile(const std::wstring& id, const std::wstring& ext, size_t position, size_t& earlier) {
  const auto [first, added] = m_firstByFile.emplace(EntryFileKey(id, ext), position);
  if (!added) earlier = first->second;
  return added;
}
