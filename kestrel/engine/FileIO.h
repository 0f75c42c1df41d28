// File helpers: whole-file reads and atomic replacement of a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

bool ReadWholeFile(const std::string& path, std::string& contents);
// Writes `contents` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`; on any failure the temporary file is removed and `path` is left as it was.
bool WriteFileAtomically(const std::string& path, std::string_view contents);
bool FileExists(const std::string& path);
// The size of a regular file, -1 when there is none.
int64_t FileSize(const std::string& path);
bool IsDirectory(const std::string& path);
// The path as an absolute one: a relative path is taken from the working directory.
std::string AbsolutePath(const std::string& path);
// The last path component, ignoring trailing slashes.
std::string BaseName(std::string path);

}  // namespace kestrel
