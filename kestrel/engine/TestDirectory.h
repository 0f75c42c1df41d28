// A fresh directory under /tmp for the life of a test fixture, removed with everything in it
// when the fixture goes. Only tests include it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kestrel {

class TestDirectory {
 public:
  // The directory is named "/tmp/<prefix>-XXXXXX"; std::runtime_error when it cannot be made.
  explicit TestDirectory(const std::string& prefix) : path_("/tmp/" + prefix + "-XXXXXX") {
    if (::mkdtemp(path_.data()) == nullptr) throw std::runtime_error("cannot create " + path_);
  }
  ~TestDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kestrel
