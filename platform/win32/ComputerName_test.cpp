#include "platform/win32/ComputerName.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>

#include "platform/testing/TestFiles.h"

namespace {

TEST(ComputerNameTest, TheOverrideIsUsedAsItStands) {
  ScopedEnv env("VAZERIR_COMPUTERNAME", "WorkStation-7");
  char buffer[16];
  DWORD size = sizeof buffer;
  ASSERT_TRUE(GetComputerNameA(buffer, &size));
  EXPECT_STREQ(buffer, "WorkStation-7");
  EXPECT_EQ(size, 13u);
  size = 13;  // one byte short of the NUL
  EXPECT_FALSE(GetComputerNameA(buffer, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  EXPECT_EQ(size, 14u);
}

TEST(ComputerNameTest, TheHostNameGivesAnUpperCaseNetBiosName) {
  ScopedEnv env("VAZERIR_COMPUTERNAME", "");
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  const std::string name = ComputerName();
  ASSERT_FALSE(name.empty());
  EXPECT_LE(name.size(), MAX_COMPUTERNAME_LENGTH);
  EXPECT_EQ(name.find('.'), std::string::npos);
  for (size_t i = 0; i < name.size(); ++i) {
    EXPECT_EQ(name[i], std::toupper(static_cast<unsigned char>(host[i]))) << host;
  }
  const size_t label = std::string(host).find('.');
  if (label != std::string::npos && label <= MAX_COMPUTERNAME_LENGTH) {
    EXPECT_EQ(name.size(), label);
  }
}

}  // namespace
