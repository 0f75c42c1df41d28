#include "platform/win32/RegistryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Between two tries for a lock someone else holds.
constexpr std::chrono::milliseconds kRetryPause{10};

// The TRegistryLock this process holds: one at most, as the file lock it
// takes excludes every other one.
struct THold {
  std::thread::id thread;
  std::string path;
  std::string* problem;
};

std::mutex gHoldMutex;
std::optional<THold> gHold;

}  // namespace

int AcquireRegistryLock(const std::string& path, std::chrono::milliseconds wait,
                        std::string& problem) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  const std::string lockPath = path + ".lock";
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    problem = lockPath + ": " + std::strerror(errno);
    return -1;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      problem = lockPath + ": " + std::strerror(error);
    } else if (std::chrono::steady_clock::now() >= deadline) {
      problem = lockPath + ": another writer has held the registry for more than " +
                std::to_string(wait.count()) + " ms";
    } else {
      std::this_thread::sleep_for(kRetryPause);
      continue;
    }
    ::close(fd);
    return -1;
  }
  return fd;
}

bool ThisThreadHoldsRegistry(const std::string& path) {
  std::lock_guard lock(gHoldMutex);
  return gHold && gHold->thread == std::this_thread::get_id() && gHold->path == path;
}

void NoteRegistryFailure(const std::string& text) {
  std::lock_guard lock(gHoldMutex);
  if (gHold && gHold->thread == std::this_thread::get_id() && gHold->problem->empty()) {
    *gHold->problem = text;
  }
}

TRegistryLock::TRegistryLock(std::chrono::milliseconds wait) {
  const std::string path = RegistryFilePath();
  if (ThisThreadHoldsRegistry(path)) {
    held_ = true;
    return;
  }
  fd_ = AcquireRegistryLock(path, wait, problem_);
  if (fd_ < 0) return;
  held_ = true;
  std::lock_guard lock(gHoldMutex);
  gHold = THold{std::this_thread::get_id(), path, &problem_};
}

TRegistryLock::~TRegistryLock() {
  if (fd_ < 0) return;
  {
    std::lock_guard lock(gHoldMutex);
    gHold.reset();
  }
  ::close(fd_);
}
