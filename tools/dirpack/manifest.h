// The manifest: a UTF-8 text naming the dictionary files of a container with their texts.
//
//   # comment (also ;)
//   [entry]
//   file  = data/xinci8.dic      relative paths are taken from the manifest's folder
//   id    = xinci8
//   ext   = .dic                optional: the file's own extension
//   date  = 2024.05.01
//   title = 新编英汉双解学习词典
//
// Entries go into the container in the order they are given.
#pragma once

#include <string>
#include <vector>

#include "tools/dirpack/pack_item.h"

// Appends the manifest's entries to items. False, with every problem found (each naming its
// line), when the manifest cannot be read or an entry is incomplete; texts are judged later.
bool ReadManifest(const std::wstring& path, std::vector<PackItem>& items, std::vector<std::string>& problems);
