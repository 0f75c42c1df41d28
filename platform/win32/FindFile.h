#pragma once
// Directory listing with find-first/find-next semantics.
//
// - The path is a directory and a name pattern, "dir/*.dmp"; a path without
//   '/' lists the current directory. '*' matches any run of characters, '?'
//   exactly one; "*.*" matches every name. Matching ignores case.
// - A hidden entry is one whose name begins with '.', except "." and "..".
//   Directories are listed only when faDirectory is asked for, hidden entries
//   only when faHidden is; other attributes do not filter. There are no
//   system files or volume labels.
// - The entries are read when FindFirst is called and given in name order
//   (without regard to case), "." and ".." included.
// - Functions answer 0 on success, else ERROR_FILE_NOT_FOUND (nothing
//   matches), ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED or, from FindNext,
//   ERROR_NO_MORE_FILES.

#include <memory>
#include <string>

#include "platform/win32/WinTypes.h"

inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

struct FindState;

struct TSearchRec {
  int32_t Time = 0;         // last write, local time, packed date and time (two-second steps)
  int64_t Size = 0;         // bytes; 0 for a directory
  int32_t Attr = 0;         // fa* bits: faDirectory, faHidden, faReadOnly, faArchive (files)
  std::string Name;         // the entry's name, without the directory
  double TimeStamp = 0;     // last write, local time, as a day-count date-time
  int32_t ExcludeAttr = 0;  // the attributes that exclude an entry
  std::shared_ptr<FindState> FindHandle;
};

int FindFirst(const std::string& path, int attr, TSearchRec& search);
int FindNext(TSearchRec& search);
void FindClose(TSearchRec& search);

// Whether `name` matches the pattern, as FindFirst matches it.
bool MatchesFileMask(const std::string& name, const std::string& pattern);
