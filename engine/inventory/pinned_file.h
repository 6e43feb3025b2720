// Files the wizard, elevated, reads from its own folder, the user's download folder. Each is opened
// once, with read sharing only (no one can write, rename or delete it while held), not following a
// reparse point, and taken only as a plain disk file of one link whose final path is the place
// asked for. All later reading goes through that handle, open while anyone holds the source.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "engine/format/byte_file.h"

struct PinnedFile {
  std::shared_ptr<ByteSource> source;    // reads through the held handle
  HANDLE handle = INVALID_HANDLE_VALUE;  // that handle, owned by source (for system calls on it)
};

// What the handle shows of the file opened, and where it was asked for.
struct OpenedFileFacts {
  DWORD fileType = FILE_TYPE_UNKNOWN;
  DWORD attributes = 0;
  DWORD links = 0;
  std::wstring finalPath;     // as GetFinalPathNameByHandleW gives it
  std::wstring expectedPath;  // the folder's own final path, a backslash, the relative name
};

// Why such a file is not taken; empty when it is.
std::wstring PinRefusal(const OpenedFileFacts& facts);

// What an open handle shows of its file, to be held against `expectedPath` ("\\?\C:\..."); a fact
// the system cannot tell stays empty or zero, which PinRefusal refuses.
OpenedFileFacts FactsOfOpenedFile(HANDLE handle, const std::wstring& expectedPath);

// What PinFile found at the name: the file, taken; nothing at all; or a file or folder it refused.
enum class PinOutcome { Pinned, Missing, Refused };

// Opens `relative` (a file name, or a folder name, a backslash and a file name) in `folder`,
// held from its first use on (held_folder.h), and checks it as above. Unless Pinned, `why` says
// what was wrong ("missing", held open for writing by another program, a link, elsewhere) and out
// is untouched.
PinOutcome PinFile(const std::wstring& folder, const std::wstring& relative, PinnedFile& out, std::wstring& why);

// The same in the wizard's own folder.
PinOutcome PinPackageFile(const std::wstring& relative, PinnedFile& out, std::wstring& why);
