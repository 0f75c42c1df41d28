#pragma once
// Whole files read and written only where they belong: a regular file, never
// a FIFO, a device, a socket or a directory standing at the path.
//
// ReadRegularFile opens without waiting (a FIFO is refused at once instead of
// waiting for a writer), refuses anything but a regular file, and allocates
// no more than the file's size at the moment it was opened: a file that grows
// while it is read is read up to that size.
//
// SaveTarget names the file a save of `path` replaces: the end of the chain
// of symbolic links that starts at `path` (a link to a file that does not
// exist yet names the file to create), refusing a target that is not a
// regular file or that is read-only (no write permission bit, or none for
// this process), as an editor refuses to overwrite it.

#include <sys/stat.h>

#include <string>

// Why a file was not read or saved: the errno of the step that failed (0:
// nothing failed) and the reason in words, fit to follow "PATH: ".
struct TFileFailure {
  int error = 0;
  std::string reason;

  explicit operator bool() const { return error != 0; }
  // The failure of a system call, described by its errno.
  static TFileFailure OfErrno(int error);
};

// Reads the whole file into `bytes`; `info` (optional) receives its status.
TFileFailure ReadRegularFile(const std::string& path, std::string& bytes,
                             struct stat* info = nullptr);

// The file that a save of `path` may replace, in `target`.
TFileFailure SaveTarget(const std::string& path, std::string& target);
