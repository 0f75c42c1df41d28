#include "platform/win32/Library.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>

#include <filesystem>

namespace {

std::string Resolved(const char* path) {
  char buffer[PATH_MAX];
  return realpath(path, buffer) != nullptr ? buffer : "";
}

TEST(LibraryTest, LoadCallAndUnload) {
  HMODULE module = LoadLibrary(KR_TEST_LIBRARY);
  ASSERT_NE(module, nullptr) << LoaderErrorText();
  auto add = reinterpret_cast<int (*)(int, int)>(GetProcAddress(module, "KrTestAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 3), 5);
  auto* value = static_cast<int*>(GetProcAddress(module, "KrTestValue"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, 41);
  EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  // Every way to the module gives the same handle.
  EXPECT_EQ(GetModuleHandleFromAddress(reinterpret_cast<const void*>(add)), module);
  EXPECT_EQ(GetModuleHandleFromAddress(value), module);
  EXPECT_EQ(GetModuleHandle(KR_TEST_LIBRARY), module);
  EXPECT_EQ(LoadLibrary(KR_TEST_LIBRARY), module);
  EXPECT_EQ(GetModuleFileName(module), Resolved(KR_TEST_LIBRARY));

  EXPECT_TRUE(FreeLibrary(module));  // the second load
  EXPECT_EQ(GetModuleHandle(KR_TEST_LIBRARY), module);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandle(KR_TEST_LIBRARY), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  // The stale handle is refused, not handed to the loader.
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetProcAddress(module, "KrTestAdd"), nullptr);
  EXPECT_EQ(GetModuleFileName(module), "");
}

TEST(LibraryTest, FailuresAndTheProgramItself) {
  EXPECT_EQ(LoadLibrary("/nonexistent/libnothing.so"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_NE(LoaderErrorText().find("libnothing.so"), std::string::npos);
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  HMODULE libc = GetModuleHandle("libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_NE(GetProcAddress(libc, "strlen"), nullptr);

  HMODULE program = GetModuleHandle(nullptr);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(GetModuleHandleFromAddress(reinterpret_cast<const void*>(&Resolved)), program);
  const std::string self = Resolved("/proc/self/exe");
  EXPECT_EQ(GetModuleFileName(nullptr), self);
  EXPECT_EQ(GetModuleFileName(program), self);
  char buffer[PATH_MAX];
  EXPECT_EQ(GetModuleFileName(nullptr, buffer, sizeof buffer), self.size());
  EXPECT_EQ(buffer, self);
  EXPECT_EQ(GetModuleFileName(nullptr, buffer, 5), 5u);  // cut and terminated
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer), self.substr(0, 4));
}

}  // namespace
