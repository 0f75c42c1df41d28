#include "kestrel/engine/FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <vector>

namespace kestrel {

namespace {

// Reads up to `n` bytes at `out`; the count read (short only at end of file), -1 on error.
ssize_t ReadFully(int fd, char* out, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::read(fd, out + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

SteppedFile::~SteppedFile() {
  if (fd_ >= 0) ::close(fd_);
}

ReadOutcome SteppedFile::Open(const std::string& path, uint64_t maxBytes,
                              std::string_view magic) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::kMissing
                                                          : ReadOutcome::kUnreadable;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return ReadOutcome::kUnreadable;
  if (!S_ISREG(st.st_mode)) return ReadOutcome::kNotRegularFile;
  size_ = static_cast<uint64_t>(st.st_size);
  if (size_ > maxBytes) return ReadOutcome::kTooLarge;
  if (size_ < magic.size()) return ReadOutcome::kWrongKind;
  if (!ReadTo(magic.size()) || std::string_view(contents_).substr(0, magic.size()) != magic)
    return ReadOutcome::kWrongKind;
  // A file whose blocks on disk cover its size holds what it claims, so its storage is reserved
  // at once and the steps append without copying what came before. Only address space is
  // reserved: memory is touched as the steps read. A sparse file, or one too large to reserve,
  // grows step by step.
  if (static_cast<uint64_t>(st.st_blocks) * 512 >= size_) {
    try {
      contents_.reserve(static_cast<size_t>(size_));
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
  }
  return ReadOutcome::kOk;
}

bool SteppedFile::ReadTo(uint64_t n) {
  const uint64_t held = contents_.size();
  if (n <= held || held == size_) return true;
  // A file that grows while it is read is cut at the size it had when opened; one that
  // shrinks is read to its new end.
  const auto target = static_cast<size_t>(std::min(size_, std::max(n, 2 * held)));
  contents_.resize(target);
  const ssize_t got = ReadFully(fd_, contents_.data() + held, target - held);
  if (got < 0) {
    contents_.resize(held);
    return false;
  }
  contents_.resize(held + static_cast<size_t>(got));
  if (contents_.size() < target) size_ = contents_.size();
  return true;
}

ReadOutcome ReadRegularFile(const std::string& path, std::string& contents, uint64_t maxBytes,
                            std::string_view magic) {
  contents.clear();
  SteppedFile file;
  ReadOutcome outcome = file.Open(path, maxBytes, magic);
  if (outcome == ReadOutcome::kOk && !file.ReadTo(file.Size())) outcome = ReadOutcome::kUnreadable;
  if (outcome == ReadOutcome::kOk) contents = std::move(file.Contents());
  return outcome;
}

std::string DescribeReadOutcome(ReadOutcome outcome, const std::string& path,
                                const std::string& kind) {
  switch (outcome) {
    case ReadOutcome::kOk: return {};
    case ReadOutcome::kMissing: return path + ": no such file";
    case ReadOutcome::kNotRegularFile: return path + ": not a regular file";
    case ReadOutcome::kTooLarge: return path + ": the file is too large";
    case ReadOutcome::kWrongKind: return path + ": not a " + kind;
    case ReadOutcome::kDamaged: return path + ": a damaged " + kind + " (truncated or corrupt)";
    case ReadOutcome::kUnreadable: break;
  }
  return path + ": the file cannot be read";
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  return ReadRegularFile(path, contents, UINT64_MAX) == ReadOutcome::kOk;
}

// The console and the registry save through platform/win32's SaveFileAtomically,
// which gives the same guarantees. The engine keeps this copy of its own, as
// it keeps its own UTF-8 codec: libKestrelAPI.so depends on nothing of the
// rest of the tree.
AtomicFile::AtomicFile(const std::string& path)
    : path_(path),
      temp_(TemporaryFileName(path)),
      fd_(::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {}

AtomicFile::~AtomicFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temp_.c_str());
}

bool AtomicFile::Write(std::string_view bytes) {
  // Starting the disk writes in steps of this many bytes keeps them streaming without a system
  // call per small piece.
  constexpr uint64_t kFlushStep = 8u << 20;
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd_);
      ::unlink(temp_.c_str());
      fd_ = -1;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  if (fd_ < 0) return false;
  written_ += bytes.size();
  if (written_ - flushing_ >= kFlushStep) {
    // Only a hint: Commit's fsync is what makes the file durable, whatever this answers.
    ::sync_file_range(fd_, static_cast<off_t>(flushing_), static_cast<off_t>(written_ - flushing_),
                      SYNC_FILE_RANGE_WRITE);
    flushing_ = written_;
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed || ::rename(temp_.c_str(), path_.c_str()) != 0) {
    ::unlink(temp_.c_str());
    return false;
  }
  const auto slash = path_.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  AtomicFile file(path);
  return file.Write(contents) && file.Commit();
}

bool AppendToFile(const std::string& path, std::string_view text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ssize_t n;
  do {
    n = ::write(fd, text.data(), text.size());
  } while (n < 0 && errno == EINTR);
  return ::close(fd) == 0 && n == static_cast<ssize_t>(text.size());
}

std::string TemporaryFileName(const std::string& path) {
  return path + ".tmp." + std::to_string(::getpid());
}

int RemoveStaleTemporaryFiles(const std::string& dir) {
  DIR* listing = ::opendir(dir.c_str());
  if (listing == nullptr) return 0;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    const auto mark = name.rfind(".tmp.");
    if (mark == std::string_view::npos || mark == 0) continue;
    const std::string_view digits = name.substr(mark + 5);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    const pid_t pid = static_cast<pid_t>(std::stol(std::string(digits)));
    // A process that runs (or that this one may not signal) may still be writing the file.
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) stale.emplace_back(name);
  }
  ::closedir(listing);
  int removed = 0;
  for (const std::string& name : stale) {
    struct stat st {};
    const std::string path = dir + "/" + name;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
      ++removed;
  }
  return removed;
}

bool CreateDirectoryExclusively(const std::string& path, bool& existed) {
  existed = false;
  const auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) {
    std::error_code error;
    std::filesystem::create_directories(path.substr(0, slash), error);
  }
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  existed = errno == EEXIST;
  return false;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : path;
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace kestrel
