// The failures of the users and scenarios listings over the scripted server
// OS1 on pc7: database Sales of schema B 1.0, where alice (remembered, with
// the password "wonder") logs on as session 100 with the root transaction
// 200.
#include <gtest/gtest.h>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/com/DataObject.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/testing/RecordingPresenter.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

using Calls = std::vector<std::string>;

class ListingFailures : public TScriptedServerTest {
 protected:
  void SetUp() override {
    TScriptedServerTest::SetUp();
    api_.On<TKRAPIFunction::KSCreateSession>(
        [](KSHandle, const char16_t* user, const char16_t* password, const char16_t*, KSHandle,
           const char16_t*) {
          const bool valid = std::u16string(user) == u"alice" && std::u16string(password) == u"wonder";
          return KSHandle(valid ? 100 : 0);
        });
    api_.On<TKRAPIFunction::KSGetRootTrn>([](KSHandle) { return KSHandle(200); });
    api_.On<TKRAPIFunction::KSStartTransaction>(
        [this](KSHandle, int32_t, const char16_t*) { return KSHandle(transactionStarts_ ? 600 : 0); });
    api_.On<TKRAPIFunction::KSGetClassID>([](KSHandle, const char16_t*) { return KSClassID(-1); });

    TKRFolder& server = ShownServerFolder();
    data_->CreateServerItems(server, {krntFolder});
    TKRFolder& schema = *server.Childs()[0];
    data_->CreateSchemaItems(schema, {krntFolder});
    for (const auto& database : schema.Childs()) {
      if (database->ColumnText(0) == "Sales") database_ = database.get();
    }
    ASSERT_NE(database_, nullptr);
    data_->PasswordContainer().AddEntry("alice", "wonder", database_->GetUniqueCode());
    api_.ClearCalls();
  }

  TKRFolder& Users() { return *database_->Childs()[0]; }
  TKRFolder& Scenarios() { return *database_->Childs()[1]; }

  // Runs the listing of the folder; answers the message boxes shown.
  std::vector<TRecordingPresenter::TBox> List(TKRFolder& folder) {
    TRecordingPresenter presenter;
    TPresenterScope scope(presenter);
    if (folder.FolderType() == krftUsers) {
      data_->CreateUsersItems(folder, {krntItem});
    } else {
      data_->CreateScenariosItems(folder, {krntItem});
    }
    EXPECT_TRUE(presenter.forms.empty());  // the remembered logon connects
    return presenter.boxes;
  }

  bool transactionStarts_ = true;
  TKRFolder* database_ = nullptr;
};

TEST_F(ListingFailures, ATransactionThatCannotStartIsReportedAndLeavesTheFolderDirty) {
  transactionStarts_ = false;
  for (TKRFolder* folder : {&Users(), &Scenarios()}) {
    api_.ClearCalls();
    const auto boxes = List(*folder);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to connect to database: Sales'");
    EXPECT_EQ(boxes[0].flags, UINT(MB_OK));
    EXPECT_TRUE(folder->Dirty());
    EXPECT_TRUE(folder->Items().empty());
    // The session went, and no table was read.
    EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSReleaseSession), Calls{"KSReleaseSession(100)"});
    EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateCursor), 0);
  }
}

TEST_F(ListingFailures, ATableThatCannotBeReadIsReportedAndOnlyTheScenariosCountAsListed) {
  const auto usersBoxes = List(Users());
  ASSERT_EQ(usersBoxes.size(), 1u);
  EXPECT_EQ(usersBoxes[0].flags, UINT(MB_OK | MB_ICONERROR));
  EXPECT_NE(usersBoxes[0].text.find("SYSUser"), std::string::npos) << usersBoxes[0].text;
  EXPECT_TRUE(Users().Dirty());

  const auto scenariosBoxes = List(Scenarios());
  ASSERT_EQ(scenariosBoxes.size(), 1u);
  EXPECT_NE(scenariosBoxes[0].text.find("_DBTransaction"), std::string::npos)
      << scenariosBoxes[0].text;
  EXPECT_FALSE(Scenarios().Dirty());
  // The transactions and the sessions of both listings went.
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSReleaseSession),
            (Calls{"KSReleaseSession(100)", "KSReleaseSession(100)"}));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSReleaseTransaction), 2);
}

TEST_F(ListingFailures, FoldersOfOtherTypesAreNotListed) {
  data_->CreateUsersItems(*database_, {krntItem});
  data_->CreateScenariosItems(Users(), {krntItem});
  data_->CreateUsersItems(Scenarios(), {krntItem});
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateSession), 0);
  EXPECT_TRUE(Users().Dirty());
  EXPECT_TRUE(Scenarios().Dirty());
}

}  // namespace
