#pragma once
// Saving a whole file so that a reader, another process or a crash sees
// either the old content or the new one, never a mix or a truncated file.
//
// SaveFileAtomically saves through symbolic links to the file they lead to
// and refuses a target that is not a regular file or that is read-only
// (SaveTarget of RegularFile.h), so a save replaces only a regular file the
// user may write. It writes `bytes` to a new temporary file beside the target
// (a hidden name of its own, so that concurrent savers never share one),
// gives it the permissions of the file it replaces (those of a new file
// under the process's umask when there is none), flushes it to disk, renames
// it over the target and then flushes the directory, so that the rename
// itself survives a crash. It answers no failure, or the step that failed;
// on failure the temporary file is gone and the target is as it was.

#include <string>
#include <string_view>

#include "platform/win32/RegularFile.h"

TFileFailure SaveFileAtomically(const std::string& path, std::string_view bytes);
