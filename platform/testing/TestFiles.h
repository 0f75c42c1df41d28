#pragma once
// Test support shared by the test binaries of every folder above kestrel:
// a temporary directory for the life of a test, an environment variable set
// (or unset) for the life of a test, and whole-file reads and writes. Only
// test targets link it (kr_platform_testing exists in test builds alone).
//
// Failures to set up raise std::runtime_error naming what failed, so that a
// test stops at its fixture instead of asserting on a missing file.

#include <filesystem>
#include <optional>
#include <string>

// A fresh directory below the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of `name` inside the directory (nothing is created).
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Sets the variable `name` to `value`, or unsets it for nullopt; the
// destructor gives back the value it had before, or its absence.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// The file's bytes; "" for a file that cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file's bytes, creating its missing parent directories.
void WriteFile(const std::string& path, const std::string& bytes);
