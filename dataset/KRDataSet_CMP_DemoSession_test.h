#pragma once
// A test with a connected session on the demo server's database
// "Northwind" (skipped when the build has no Database API library).

#include <gtest/gtest.h>

#include <optional>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"

namespace kr_dataset_test {

class TDemoSessionTest : public kr_session_test::TDemoServerTest {
 protected:
  void SetUp() override {
    TDemoServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    FTree.emplace(u"Northwind");
    FTree->server->Set_ServerName(u"KestrelOS20");
    ASSERT_TRUE(FTree->session->CheckConnected());
  }

  std::optional<kr_session_test::TProxyTree> FTree;
};

}  // namespace kr_dataset_test
