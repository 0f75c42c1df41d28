// A test fixture over the real Database API library and the demo data: each
// test gets its own $KESTREL_HOME seeded by `kestrel-admin init-demo`, the
// library named by KR_KESTREL_API_PATH and the computer name TESTBOX. The
// test target defines KR_KESTREL_API_PATH and KR_KESTREL_ADMIN_PATH.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"

namespace kr_session_test {

class TDemoServerTest : public ::testing::Test {
 protected:
  TDemoServerTest()
      : home("KESTREL_HOME", environment.Directory() + "/home"),
        library("KESTREL_API_LIBRARY", KR_KESTREL_API_PATH),
        computer("VAZERIR_COMPUTERNAME", "TESTBOX") {}

  void SetUp() override {
    const std::string command = std::string(KR_KESTREL_ADMIN_PATH) + " init-demo > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  void TearDown() override {
    // Stops the demo server for this process, so that its lock is released.
    const TKRAPITable& api = KRAPI();
    if (const KSHandle server = api.KSConnectServer(u"localhost", u"KestrelOS20")) {
      api.KSCloseServer(server);
      api.KSDisconnectServer(server);
    }
    FinalizeAPIEventReception();
  }

  TTestEnvironment environment;
  TScopedEnvironment home;
  TScopedEnvironment library;
  TScopedEnvironment computer;
};

}  // namespace kr_session_test
