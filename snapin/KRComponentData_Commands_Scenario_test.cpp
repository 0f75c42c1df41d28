// The Create Scenario command over the scripted Database API: OS1 on pc7,
// database Sales of schema A 1.0 with the root scenario "Budget" (found as
// 500; "Root" as 501), where alice logs on with the password "wonder".
#include <gtest/gtest.h>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/com/DataObject.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kLogon = R"(
    expect form 'Enter Logon information...'
    set UserNameEdit to alice; set PasswordEdit to wonder; click OkButton
)";

class CreateScenarioCommand : public TScriptedServerTest {
 protected:
  void SetUp() override {
    TScriptedServerTest::SetUp();
    api_.On<TKRAPIFunction::KSCreateSession>(
        [this](KSHandle, const char16_t* user, const char16_t* password, const char16_t*, KSHandle,
               const char16_t*) {
          const bool valid = std::u16string(user) == u"alice" && std::u16string(password) == u"wonder";
          return KSHandle(valid && logons_ ? 100 : 0);
        });
    api_.On<TKRAPIFunction::KSGetRootTrn>([](KSHandle) { return KSHandle(200); });
    api_.On<TKRAPIFunction::KSGetAvailableTransactions>(
        [this](KSHandle, const char16_t*, KSBool, int32_t* count) {
          *count = static_cast<int32_t>(available_.size());
          return available_.data();
        });
    api_.On<TKRAPIFunction::KSFindTransaction>([](KSHandle, const char16_t* name) {
      const std::u16string_view n(name);
      return KSHandle(n == u"Budget" ? 500 : n == u"Root" ? 501 : 0);
    });
    api_.On<TKRAPIFunction::KSStartTransaction>(
        [this](KSHandle, int32_t, const char16_t*) { return KSHandle(refuse_ ? 0 : 600); });
    api_.On<TKRAPIFunction::KSGetStartTransactionError>(
        [](KSHandle) { return KSStatus(KS_ERR_TRANSACTION_EXISTS); });
    api_.On<TKRAPIFunction::KSFormatMessage>([](KSHandle, KSStatus code, int32_t) {
      return code == KS_ERR_TRANSACTION_EXISTS ? u"a persistent transaction of that name exists"
                                               : u"other";
    });

    TKRFolder& server = ShownServerFolder();
    data_->CreateServerItems(server, {krntFolder});
    TKRFolder& schema = *server.Childs()[0];
    data_->CreateSchemaItems(schema, {krntFolder});
    for (const auto& database : schema.Childs()) {
      if (database->ColumnText(0) == "Sales") scenarios_ = database->Childs()[1].get();
    }
    ASSERT_NE(scenarios_, nullptr);
    ASSERT_EQ(scenarios_->FolderType(), krftScenarios);
    scenarios_->SetDirty(false);
    api_.ClearCalls();
  }

  void Run(const std::string& script) {
    TScriptPresenter presenter(script);
    TPresenterScope scope(presenter);
    ComPtr<IDataObject> object;
    data_->QueryDataObject(scenarios_->Cookie(), CCT_SCOPE, object.ReleaseAndGetAddressOf());
    EXPECT_EQ(data_->Command(krmcCreateScenario, object.Get()), S_OK);
    EXPECT_EQ(presenter.Verify(), "");
  }

  // The scenario form filled in: a parent chosen first (choosing does not
  // enable OK), then the name and the description.
  static std::string Form(const std::string& parent, const std::string& access,
                          const std::string& description = "") {
    return "expect form 'Create Scenario'; expect ParentScenarioComboBox items 2; "
           "select ParentScenarioComboBox '" + parent + "'; set NameEdit to Q3; " +
           (description.empty() ? "" : "set DescriptionEdit to '" + description + "'; ") +
           "check " + access + "; click OKBtn";
  }

  // The calls that start and describe scenarios, in order.
  Calls ScenarioCalls() const {
    Calls calls;
    for (const std::string& call : api_.Calls()) {
      for (const char* name : {"KSFindTransaction", "KSStartTransaction", "KSSetDescription"}) {
        if (call.rfind(name, 0) == 0) calls.push_back(call);
      }
    }
    return calls;
  }

  std::vector<const char16_t*> available_ = {u"Root", u"Budget"};
  bool logons_ = true;
  bool refuse_ = false;
  TKRFolder* scenarios_ = nullptr;
};

TEST_F(CreateScenarioCommand, TheVisibilityIsSetBeforeTheDescriptionStartsTheScenario) {
  Run(kLogon + Form("Budget", "PrivateRadioButton", "Fewer stores"));
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSGetAvailableTransactions),
            Calls{R"(KSGetAvailableTransactions(7, "Sales", 1, ptr))"});
  // Level 2 below Budget: with intent to commit, private.
  EXPECT_EQ(ScenarioCalls(), (Calls{R"(KSFindTransaction(100, "Budget"))",
                                    R"(KSFindTransaction(100, "Q3"))",
                                    R"(KSStartTransaction(500, 6400, "Q3"))",
                                    R"(KSSetDescription(600, "Fewer stores"))"}));
  EXPECT_TRUE(scenarios_->Dirty());
  // The scenarios stay; the session goes.
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSRollback), 0);
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSReleaseTransaction),
            (Calls{"KSReleaseTransaction(600)", "KSReleaseTransaction(500)"}));
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSReleaseSession), Calls{"KSReleaseSession(100)"});

  // The logon that worked is remembered: no form the second time.
  api_.ClearCalls();
  Run(Form("Root", "RestrictedRadioButton"));
  // Without a description the scenario is started by the check that it
  // exists, with the visibility chosen.
  EXPECT_EQ(ScenarioCalls(), (Calls{R"(KSFindTransaction(100, "Root"))",
                                    R"(KSFindTransaction(100, "Q3"))",
                                    R"(KSStartTransaction(501, 10496, "Q3"))"}));
}

TEST_F(CreateScenarioCommand, APublicScenarioAddsNoVisibilityFlag) {
  Run(kLogon + Form("Budget", "PublicRadioButton"));
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSStartTransaction),
            Calls{R"(KSStartTransaction(500, 2304, "Q3"))"});
}

TEST_F(CreateScenarioCommand, ACancelledLogonOrFormEndsTheCommandSilently) {
  Run("expect form 'Enter Logon information...'; click CancelButton");
  Run(std::string(kLogon) + "expect form 'Create Scenario'; click CancelBtn");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSStartTransaction), 0);
  EXPECT_FALSE(scenarios_->Dirty());
}

TEST_F(CreateScenarioCommand, ALogonThatFailsIsReported) {
  logons_ = false;
  Run(std::string(kLogon) + "expect message containing \"Unable to connect to database: Sales'\"; answer IDOK");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSGetAvailableTransactions), 0);
}

TEST_F(CreateScenarioCommand, ARefusedStartIsReportedWithTheLibrarysReason) {
  refuse_ = true;
  Run(kLogon + Form("Budget", "PublicRadioButton", "x") +
      "\nexpect message containing 'a persistent transaction of that name exists'; answer IDOK");
  // Neither the description's start nor the last check is retried read-only.
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSStartTransaction),
            (Calls{R"(KSStartTransaction(500, 2304, "Q3"))", R"(KSStartTransaction(500, 2304, "Q3"))"}));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSetDescription), 0);
  EXPECT_FALSE(scenarios_->Dirty());
}

}  // namespace
