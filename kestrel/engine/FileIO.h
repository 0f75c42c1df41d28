// File helpers: whole-file reads and atomic replacement of a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// What became of an attempt to read a file whole. kDamaged: the file began as one of the
// expected kind but what followed cannot be one.
enum class ReadOutcome {
  kOk,
  kMissing,
  kNotRegularFile,
  kTooLarge,
  kWrongKind,
  kDamaged,
  kUnreadable
};

// Reads a regular file whole, never blocking and never holding more than the file held when it
// was opened: the file is opened without waiting (a FIFO cannot hang the caller), anything but a
// regular file is refused before a byte is read, a file larger than `maxBytes` is refused, and
// the storage for its size at open time is reserved once. A non-empty `magic` must begin the
// file; it is checked before the rest is read, so a large file of another kind is refused at
// once. `contents` is cleared on every outcome but kOk.
ReadOutcome ReadRegularFile(const std::string& path, std::string& contents, uint64_t maxBytes,
                            std::string_view magic = {});
// A regular file opened with the checks of ReadRegularFile and read in steps, so that a reader
// can refuse a file by what its first bytes say without reading the rest.
class SteppedFile {
 public:
  SteppedFile() = default;
  SteppedFile(const SteppedFile&) = delete;
  SteppedFile& operator=(const SteppedFile&) = delete;
  ~SteppedFile();

  // ReadRegularFile's checks and outcomes up to the magic, which is read when it matches. The
  // storage of a file that is not sparse is reserved then (address space only, touched as the
  // steps read), so that the steps need not copy what they held.
  ReadOutcome Open(const std::string& path, uint64_t maxBytes, std::string_view magic = {});
  // The size the file had when it was opened (less once a read found it shorter).
  uint64_t Size() const { return size_; }
  // Reads on until the first `n` bytes are held, or to the end of the file; each read at least
  // doubles what is held, so that many small steps cost no more than a few large ones. False
  // when a read fails.
  bool ReadTo(uint64_t n);
  // What has been read so far, from the start of the file.
  std::string& Contents() { return contents_; }

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::string contents_;
};

// A sentence naming `path` and why it could not be read (empty for kOk); `kind` names what the
// file should have been ("dump") for kWrongKind.
std::string DescribeReadOutcome(ReadOutcome outcome, const std::string& path,
                                const std::string& kind = "file of the expected kind");
// ReadRegularFile with no limit but the file's own size; true on kOk.
bool ReadWholeFile(const std::string& path, std::string& contents);
// A file written in pieces to a temporary file beside `path` (TemporaryFileName) and renamed
// over `path` once it is complete and on disk, so that a reader of `path` finds the old file or
// the whole new one. The disk writes of what was written start at once, in the background, so
// that they overlap with making the rest. Destroyed before a successful Commit, it removes the
// temporary file and leaves `path` as it was.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Appends `bytes`; false once anything failed, and then every later call fails too.
  bool Write(std::string_view bytes);
  // Flushes the file to disk and renames it over `path`; false when that fails.
  bool Commit();

 private:
  std::string path_;
  std::string temp_;
  int fd_ = -1;
  uint64_t written_ = 0;
  uint64_t flushing_ = 0;  // the disk writes of the bytes before this one have been started
};

// Writes `contents` through an AtomicFile: all of it replaces `path`, or nothing changes.
bool WriteFileAtomically(const std::string& path, std::string_view contents);
// Appends `text` to `path` (created if need be) in one write; false when it cannot.
bool AppendToFile(const std::string& path, std::string_view text);
// The name WriteFileAtomically gives the temporary file of `path` in this process.
std::string TemporaryFileName(const std::string& path);
// Removes from `dir` the temporary files ("<name>.tmp.<pid>") that WriteFileAtomically left
// behind in processes that no longer run (killed during a write); those of running processes
// are kept. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& dir);
// Makes the parents of `path` as needed, then `path` itself only when nothing stands there, so
// that of two processes creating the same directory at once exactly one succeeds. False when
// it was not made; `existed` tells whether something stood at `path` already.
bool CreateDirectoryExclusively(const std::string& path, bool& existed);
bool FileExists(const std::string& path);
// The size of a regular file, -1 when there is none.
int64_t FileSize(const std::string& path);
bool IsDirectory(const std::string& path);
// The path as an absolute one: a relative path is taken from the working directory.
std::string AbsolutePath(const std::string& path);
// The last path component, ignoring trailing slashes.
std::string BaseName(std::string path);

}  // namespace kestrel
