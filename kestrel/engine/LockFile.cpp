#include "kestrel/engine/LockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace kestrel {

bool LockFile::Acquire(const std::string& path, bool& errorIsBusy) {
  Release();
  errorIsBusy = false;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    errorIsBusy = errno == EWOULDBLOCK;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void LockFile::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace kestrel
