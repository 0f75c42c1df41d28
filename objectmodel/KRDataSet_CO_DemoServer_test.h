// Tests over the real Database API library and the demo data. The test
// target names the built library and kestrel-admin (KR_KESTREL_API_PATH,
// KR_KESTREL_ADMIN_PATH) when both are part of the build; without them
// these tests report themselves skipped with the reason.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "platform/win32/Library.h"

namespace kr_session_test {

// The built library and tool, or "" when the build has none.
inline std::string BuiltKestrelAPI() {
#ifdef KR_KESTREL_API_PATH
  return KR_KESTREL_API_PATH;
#else
  return "";
#endif
}
inline std::string BuiltKestrelAdmin() {
#ifdef KR_KESTREL_ADMIN_PATH
  return KR_KESTREL_ADMIN_PATH;
#else
  return "";
#endif
}
inline bool HaveBuiltKestrel() {
  return !BuiltKestrelAPI().empty() && !BuiltKestrelAdmin().empty();
}
inline constexpr const char* kNoBuiltKestrel =
    "the Database API library and kestrel-admin are not part of this build";

// The built library's count of the handles this process has not released;
// -1 when it cannot be asked.
inline int32_t OpenHandleCount() {
  const HMODULE library = LoadLibrary(BuiltKestrelAPI().c_str());
  const auto count = reinterpret_cast<decltype(&KSGetOpenHandleCount)>(
      GetProcAddress(library, "KSGetOpenHandleCount"));
  const int32_t open = count != nullptr ? count() : -1;
  FreeLibrary(library);
  return open;
}

// The demo server in a $KESTREL_HOME of its own below `directory`, served by
// the built library, on the computer TESTBOX. Seed() runs
// `kestrel-admin init-demo`; once seeded, the destructor stops the demo
// server for this process (so that its lock is released) and ends the
// event reception.
class TDemoServer {
 public:
  explicit TDemoServer(const std::string& directory);
  ~TDemoServer();
  TDemoServer(const TDemoServer&) = delete;
  TDemoServer& operator=(const TDemoServer&) = delete;

  // True when kestrel-admin seeded the home.
  bool Seed();
  std::string Home() const { return FHome; }

 private:
  std::string FHome;
  ScopedEnv FHomeVariable;
  ScopedEnv FLibrary;
  ScopedEnv FComputer;
  bool FSeeded = false;
};

inline TDemoServer::TDemoServer(const std::string& directory)
    : FHome(directory + "/home"),
      FHomeVariable("KESTREL_HOME", FHome),
      FLibrary("KESTREL_API_LIBRARY", BuiltKestrelAPI()),
      FComputer("VAZERIR_COMPUTERNAME", "TESTBOX") {}

inline bool TDemoServer::Seed() {
  const std::string command = BuiltKestrelAdmin() + " init-demo > /dev/null";
  FSeeded = std::system(command.c_str()) == 0;
  return FSeeded;
}

inline TDemoServer::~TDemoServer() {
  if (!FSeeded) return;
  const TKRAPITable& api = KRAPI();
  if (const KSHandle server = api.KSConnectServer(u"localhost", u"KestrelOS20")) {
    api.KSCloseServer(server);
    api.KSDisconnectServer(server);
  }
  FinalizeAPIEventReception();
}

// A test of its own environment (TTestEnvironment) with the demo server
// seeded; skipped when the build has no library.
class TDemoServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveBuiltKestrel()) GTEST_SKIP() << kNoBuiltKestrel;
    ASSERT_TRUE(demo.Seed());
  }

  TTestEnvironment environment;
  TDemoServer demo{environment.Directory()};
};

}  // namespace kr_session_test
