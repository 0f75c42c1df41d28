// An exclusive advisory lock (flock) on a file, held for the object's life. flock locks belong
// to the open file, so a second process - or a second LockFile in this process - is refused.
#pragma once

#include <string>

namespace kestrel {

class LockFile {
 public:
  LockFile() = default;
  ~LockFile() { Release(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Takes the lock without waiting; false when another holder has it or the file cannot be
  // opened (errorIsBusy tells which).
  bool Acquire(const std::string& path, bool& errorIsBusy);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace kestrel
