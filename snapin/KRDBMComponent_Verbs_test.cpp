#include <gtest/gtest.h>

#include "snapin/KRDBMComponent_TestView.h"

namespace {

class ConsoleVerbs : public ComponentViewTest {
 protected:
  void SetUp() override {
    ComponentViewTest::SetUp();
    ExpandFixedFolders();
  }
  FakeConsoleVerb& Verbs() { return *console_->verb.Get(); }

  // The verbs after a fresh selection change of `object`.
  FakeConsoleVerb& After(IDataObject* object, bool scope, bool select) {
    Verbs().states.clear();
    Verbs().defaultVerb.reset();
    EXPECT_EQ(component_->Notify(object, MMCN_SELECT, SelectArg(scope, select), 0), S_OK);
    return Verbs();
  }
  FakeConsoleVerb& Selecting(const TKRFolder& folder) {
    return After(DataOf(folder).Get(), true, true);
  }
};

TEST_F(ConsoleVerbs, TheFixedFoldersOpenWithoutADefaultVerb) {
  for (TKRFolder* folder : {&Root(), &Workstations(), &Servers(), &DatabaseGroups()}) {
    FakeConsoleVerb& verbs = Selecting(*folder);
    EXPECT_TRUE(verbs.Shown(MMC_VERB_OPEN)) << folder->ColumnText(0);
    EXPECT_EQ(verbs.defaultVerb, MMC_VERB_NONE);
    for (MMC_CONSOLE_VERB verb : {MMC_VERB_REFRESH, MMC_VERB_DELETE, MMC_VERB_RENAME}) {
      EXPECT_TRUE(verbs.Hidden(verb)) << folder->ColumnText(0) << " " << verb;
    }
  }
}

TEST_F(ConsoleVerbs, AServerOpensByDefaultAndOffersRefreshDeleteAndRename) {
  TKRFolder& server = AddFolder(Servers(), "OS1", krftServer, 5);
  server.SetDirty(false);  // so that the selection does not list it
  for (TKRFolder* folder : {&server, &AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8)}) {
    folder->SetDirty(false);
    FakeConsoleVerb& verbs = Selecting(*folder);
    EXPECT_EQ(verbs.defaultVerb, MMC_VERB_OPEN);
    for (MMC_CONSOLE_VERB verb :
         {MMC_VERB_OPEN, MMC_VERB_REFRESH, MMC_VERB_DELETE, MMC_VERB_RENAME}) {
      EXPECT_TRUE(verbs.Shown(verb)) << folder->ColumnText(0) << " " << verb;
    }
    EXPECT_EQ(verbs.State(MMC_VERB_PROPERTIES, ENABLED), std::nullopt);
  }
}

TEST_F(ConsoleVerbs, AWorkstationOffersDeleteAndTheDatabaseFoldersRefresh) {
  FakeConsoleVerb& workstation = Selecting(Local());
  EXPECT_EQ(workstation.defaultVerb, MMC_VERB_OPEN);
  EXPECT_TRUE(workstation.Shown(MMC_VERB_DELETE));
  EXPECT_TRUE(workstation.Hidden(MMC_VERB_REFRESH));
  EXPECT_TRUE(workstation.Hidden(MMC_VERB_RENAME));

  TKRFolder& server = AddFolder(Servers(), "OS1", krftServer, 5);
  for (TKRFolderType type : {krftServerDB, krftSchemaName, krftUsers, krftScenarios}) {
    TKRFolder& folder = AddFolder(server, "f", type);
    folder.SetDirty(false);
    FakeConsoleVerb& verbs = Selecting(folder);
    EXPECT_EQ(verbs.defaultVerb, MMC_VERB_OPEN) << int(type);
    EXPECT_TRUE(verbs.Shown(MMC_VERB_REFRESH)) << int(type);
    EXPECT_TRUE(verbs.Hidden(MMC_VERB_DELETE)) << int(type);
    EXPECT_TRUE(verbs.Hidden(MMC_VERB_RENAME)) << int(type);
  }
}

TEST_F(ConsoleVerbs, ANodeWithoutAFolderOnlyOpens) {
  FakeConsoleVerb& verbs = After(DataOf(12345).Get(), true, true);
  EXPECT_TRUE(verbs.Shown(MMC_VERB_OPEN));
  EXPECT_EQ(verbs.defaultVerb, MMC_VERB_OPEN);
  EXPECT_TRUE(verbs.Hidden(MMC_VERB_REFRESH));
  EXPECT_EQ(verbs.State(MMC_VERB_DELETE, HIDDEN), std::nullopt);
}

TEST_F(ConsoleVerbs, LosingTheSelection) {
  FakeConsoleVerb& scope = After(DataOf(Local()).Get(), true, false);
  for (MMC_CONSOLE_VERB verb :
       {MMC_VERB_OPEN, MMC_VERB_DELETE, MMC_VERB_PROPERTIES, MMC_VERB_RENAME}) {
    EXPECT_EQ(scope.State(verb, ENABLED), false) << verb;
    EXPECT_EQ(scope.State(verb, HIDDEN), std::nullopt) << verb;
  }
  EXPECT_TRUE(scope.Hidden(MMC_VERB_REFRESH));
  EXPECT_EQ(scope.defaultVerb, std::nullopt);

  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& dump = AddItem(group, {"a.dmp"});
  FakeConsoleVerb& row = After(DataOf(dump).Get(), false, false);
  EXPECT_TRUE(row.Shown(MMC_VERB_REFRESH));
  EXPECT_EQ(row.State(MMC_VERB_PROPERTIES, ENABLED), std::nullopt);
  // The static node's row offers its properties.
  FakeConsoleVerb& root = After(DataOf(0, CCT_RESULT).Get(), false, false);
  EXPECT_TRUE(root.Shown(MMC_VERB_PROPERTIES));
  EXPECT_TRUE(root.Shown(MMC_VERB_REFRESH));
}

TEST_F(ConsoleVerbs, ASelectedResultRowSetsNothingAndSeveralRowsOfferDelete) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& first = AddItem(group, {"a.dmp"});
  TKRResultData& second = AddItem(group, {"b.dmp"});
  EXPECT_TRUE(After(DataOf(first).Get(), false, true).states.empty());

  console_->results->selected = {{false, first.Cookie()}, {false, second.Cookie()}};
  const ComPtr<IDataObject> several = DataOf(MMC_MULTI_SELECT_COOKIE, CCT_RESULT);
  FakeConsoleVerb& verbs = After(several.Get(), false, true);
  EXPECT_TRUE(verbs.Shown(MMC_VERB_DELETE));
  EXPECT_EQ(verbs.states.size(), 2u);
  EXPECT_EQ(verbs.defaultVerb, std::nullopt);
}

TEST_F(ConsoleVerbs, NothingIsSetWithoutADataObjectOrAVerbControl) {
  component_->HandleStandardVerbs(false, SelectArg(true, true), nullptr);
  EXPECT_TRUE(Verbs().states.empty());
  // A deselect-all without a data object counts as a lost selection.
  component_->HandleStandardVerbs(true, SelectArg(false, true), nullptr);
  EXPECT_TRUE(Verbs().Shown(MMC_VERB_REFRESH));
  EXPECT_EQ(Verbs().State(MMC_VERB_PROPERTIES, ENABLED), std::nullopt);

  component_->Destroy(0);
  Verbs().states.clear();
  component_->HandleStandardVerbs(false, SelectArg(true, true), DataOf(Local()).Get());
  EXPECT_TRUE(Verbs().states.empty());
}

}  // namespace
