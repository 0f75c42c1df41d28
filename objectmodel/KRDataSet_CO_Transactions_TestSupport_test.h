#pragma once
// The fixture of the transaction tests over the scripted Database API: the
// proxy tree of kr_session_test (session 100 with its root 200); started
// transactions get 300, 301, ... A test may refuse the next starts
// (`refusals`) and choose what a started transaction tells of its start
// (`grant`); a parent tells KS_ERR_INVALID_ARGUMENT for a refused start.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Scenario.h"
#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"

namespace kr_session_test {

class TTransactionTest : public ::testing::Test {
 protected:
  TTransactionTest() {
    api.On<TKRAPIFunction::KSStartTransaction>([this](KSHandle, int32_t, TKRAPIString) {
      if (refusals > 0) {
        --refusals;
        return KSHandle(0);
      }
      return KSHandle(300 + started++);
    });
    // A started transaction tells its grant; its parent, why a start failed.
    api.On<TKRAPIFunction::KSGetStartTransactionError>([this](KSHandle handle) {
      return handle >= 300 ? grant : KSStatus(KS_ERR_INVALID_ARGUMENT);
    });
  }
  void SetUp() override { FinalizeAPIEventReception(); }
  void TearDown() override { FinalizeAPIEventReception(); }

  ComPtr<IKRBaseTransaction> Root() { return tree.session->Get_RootTransaction(); }

  template <class T = TKRTransactionInterface>
  ComPtr<T> Child(IKRBaseTransaction* parent, const std::u16string& name = u"") {
    auto child = MakeComObject<T>();
    child->Set_ParentTransaction(parent);
    if (!name.empty()) child->Set_Name(name);
    return child;
  }

  // The flags of each KSStartTransaction call so far.
  std::vector<int32_t> StartFlags() const {
    std::vector<int32_t> flags;
    for (const std::string& call : api.CallsOf(TKRAPIFunction::KSStartTransaction)) {
      const size_t first = call.find(", ") + 2;
      flags.push_back(std::stoi(call.substr(first, call.find(',', first) - first)));
    }
    return flags;
  }

  TTestEnvironment environment;
  TScriptedServer api;
  TProxyTree tree;
  int started = 0;
  int refusals = 0;
  KSStatus grant = KS_OK;
};

}  // namespace kr_session_test
