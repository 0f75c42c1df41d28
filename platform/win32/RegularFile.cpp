#include "platform/win32/RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

namespace {

// As many links as the system itself follows before it answers ELOOP.
constexpr int kMaxLinks = 40;

// Refuses what is not a regular file, in words.
TFileFailure NotRegular(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return {EISDIR, "it is a directory"};
  return {EINVAL, "it is not a regular file"};
}

// The target of the symbolic link `link`, relative targets taken from the
// link's directory.
TFileFailure FollowLink(std::string& link) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length < 0) return TFileFailure::OfErrno(errno);
  if (static_cast<size_t>(length) >= target.size()) return TFileFailure::OfErrno(ENAMETOOLONG);
  target.resize(static_cast<size_t>(length));
  const std::filesystem::path next(target);
  link = next.is_absolute() ? target : (std::filesystem::path(link).parent_path() / next).string();
  return {};
}

}  // namespace

TFileFailure TFileFailure::OfErrno(int error) { return {error, std::strerror(error)}; }

TFileFailure ReadRegularFile(const std::string& path, std::string& bytes, struct stat* info) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return TFileFailure::OfErrno(errno);
  struct stat status {};
  TFileFailure failure;
  if (::fstat(fd, &status) != 0) {
    failure = TFileFailure::OfErrno(errno);
  } else if (!S_ISREG(status.st_mode)) {
    failure = NotRegular(status);
  } else {
    bytes.assign(static_cast<size_t>(status.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) failure = TFileFailure::OfErrno(errno);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
  }
  ::close(fd);
  if (info != nullptr) *info = status;
  return failure;
}

TFileFailure SaveTarget(const std::string& path, std::string& target) {
  target = path;
  for (int links = 0;; ++links) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
      // Nothing stands there yet: the save creates the file.
      return errno == ENOENT ? TFileFailure{} : TFileFailure::OfErrno(errno);
    }
    if (!S_ISLNK(info.st_mode)) {
      if (!S_ISREG(info.st_mode)) return NotRegular(info);
      // The permission bits decide also for a process that access() would
      // let through (the superuser).
      if ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
        return {EACCES, "it is read-only"};
      }
      return {};
    }
    if (links == kMaxLinks) return TFileFailure::OfErrno(ELOOP);
    if (TFileFailure failure = FollowLink(target)) return failure;
  }
}
