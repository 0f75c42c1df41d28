#pragma once
// Saving a whole file so that a reader, another process or a crash sees
// either the old content or the new one, never a mix or a truncated file.
//
// SaveFileAtomically writes `bytes` to a new temporary file beside `path`
// (a hidden name of its own, so that concurrent savers never share one),
// gives it the permissions of the file it replaces (those of a new file
// under the process's umask when there is none), flushes it to disk,
// renames it over `path` and then flushes the directory, so that the rename
// itself survives a crash. It answers 0, or the errno of the step that
// failed; on failure the temporary file is gone and `path` is as it was.

#include <string>
#include <string_view>

int SaveFileAtomically(const std::string& path, std::string_view bytes);
