#include "snapin/KRFolder.h"

#include <gtest/gtest.h>

#include "platform/testing/Scaling.h"

namespace {

// Creates, initialises and attaches a folder.
TKRFolder* Attach(TKRFolder& parent, const std::string& name,
                  TKRFolderType folderType = krftServer) {
  auto folder = std::make_unique<TKRFolder>();
  folder->Init(name, 0, 0, folderType, true);
  return TKRFolder::SetParent(std::move(folder), parent);
}

TKRResultData* AttachItem(TKRFolder& folder, const std::string& name) {
  auto item = std::make_unique<TKRResultData>();
  item->Columns() = {name};
  return TKRResultData::SetParent(std::move(item), folder);
}

std::unique_ptr<TKRFolder> Root() {
  auto root = std::make_unique<TKRFolder>();
  root->Init("RootFolder", 0, 0, krftRootFolder, true);
  root->SetCookie(0);
  return root;
}

}  // namespace

TEST(KRFolder, NewFolderIsUndisplayableAndDirty) {
  TKRFolder folder;
  EXPECT_EQ(folder.GetColumns(), (std::vector<std::string>{"", "0"}));
  EXPECT_EQ(folder.Cookie(), -1);
  EXPECT_EQ(folder.FolderType(), krftNone);
  EXPECT_EQ(folder.ScopeItem(), nullptr);
  EXPECT_TRUE(folder.Dirty());
  EXPECT_FALSE(folder.Enumerated());
  EXPECT_EQ(folder.Parent(), nullptr);
}

TEST(KRFolder, InitSetsOnlyTheImagesAndChildrenFlagGiven) {
  TKRFolder plain;
  plain.Init("Scenarios", 0, 0, krftScenarios, false);
  ASSERT_NE(plain.ScopeItem(), nullptr);
  EXPECT_EQ(plain.ScopeItem()->mask, SDI_STR);
  EXPECT_EQ(plain.ScopeItem()->displayname, MMC_CALLBACK);
  EXPECT_EQ(plain.ScopeItem()->cChildren, 0);
  EXPECT_EQ(plain.ScopeItem()->nImage, 0);

  TKRFolder full;
  full.Init("pc7", 1, 3, krftComputer, true);
  EXPECT_EQ(full.ScopeItem()->mask, SDI_STR | SDI_IMAGE | SDI_OPENIMAGE | SDI_CHILDREN);
  EXPECT_EQ(full.ScopeItem()->nImage, 1);
  EXPECT_EQ(full.ScopeItem()->nOpenImage, 3);
  EXPECT_EQ(full.ScopeItem()->cChildren, 1);
  EXPECT_EQ(full.ScopeItem()->ID, 0);
  EXPECT_EQ(full.GetColumns(), (std::vector<std::string>{"pc7", "0"}));
  EXPECT_EQ(full.FolderType(), krftComputer);

  // Init again starts from a fresh record and fresh columns.
  full.GetColumns().push_back("extra");
  full.Init("pc8", 0, 0, krftComputer, false);
  EXPECT_EQ(full.ScopeItem()->mask, SDI_STR);
  EXPECT_EQ(full.GetColumns(), (std::vector<std::string>{"pc8", "0"}));
}

TEST(KRFolder, ChildrenKeepAttachOrderAndCountColumnSumsFoldersAndItems) {
  auto root = Root();
  TKRFolder* parent = Attach(*root, "parent");
  Attach(*parent, "first");
  Attach(*parent, "second");
  EXPECT_EQ(parent->ColumnText(1), "2");
  AttachItem(*parent, "a");
  AttachItem(*parent, "b");
  AttachItem(*parent, "c");
  EXPECT_EQ(parent->ColumnText(1), "3");  // the last attachment wrote its own count
  EXPECT_EQ(parent->GetColumns()[1], "5");
  ASSERT_EQ(parent->Childs().size(), 2u);
  EXPECT_EQ(parent->Childs()[0]->ColumnText(0), "first");
  EXPECT_EQ(parent->Childs()[1]->ColumnText(0), "second");
  EXPECT_EQ(parent->Childs()[1]->Parent(), parent);
  EXPECT_EQ(parent->Items()[2]->Columns()[0], "c");
  EXPECT_EQ(parent->Items()[2]->Parent(), parent);
}

TEST(KRFolder, UniqueCodesConcatenateWithoutSeparators) {
  auto root = Root();
  EXPECT_EQ(root->GetUniqueCode(), "RootFolder");
  TKRFolder* workstations = Attach(*root, "Workstations", krftComputers);
  TKRFolder* pc7 = Attach(*workstations, "pc7", krftComputer);
  TKRFolder* servers = Attach(*pc7, "Servers", krftServers);
  TKRFolder* os1 = Attach(*servers, "OS1");
  EXPECT_EQ(os1->GetUniqueCode(), "OS1Serverspc7WorkstationsRootFolder");

  // ab under cX and a under bcX give the same code.
  TKRFolder* cX = Attach(*root, "cX");
  TKRFolder* bcX = Attach(*root, "bcX");
  EXPECT_EQ(Attach(*cX, "ab")->GetUniqueCode(), Attach(*bcX, "a")->GetUniqueCode());
}

TEST(KRFolder, UniqueCodeSurvivesARenameUntilRecomputed) {
  auto root = Root();
  TKRFolder* server = Attach(*root, "OS1");
  server->GetColumns()[0] = "Renamed";
  EXPECT_EQ(server->GetUniqueCode(), "OS1RootFolder");
  server->CreateUniqueCode();
  EXPECT_EQ(server->GetUniqueCode(), "RenamedRootFolder");
}

TEST(KRFolder, SearchesWalkTheSubtreeInPreOrder) {
  auto root = Root();
  TKRFolder* workstations = Attach(*root, "Workstations", krftComputers);
  TKRFolder* pc7 = Attach(*workstations, "pc7", krftComputer);
  TKRFolder* servers = Attach(*pc7, "Servers", krftServers);
  TKRFolder* pc8 = Attach(*workstations, "pc8", krftComputer);
  TKRFolder* servers8 = Attach(*pc8, "Servers", krftServers);
  TKRFolder* groups = Attach(*root, "Database Groups", krftDBGroups);
  TKRFolder* group = Attach(*groups, "g", krftDBGroup);

  EXPECT_EQ(root->SearchFolderByCookie(0), root.get());
  servers8->PrepareScopeItem(77);
  EXPECT_EQ(root->SearchFolderByCookie(servers8->Identity()), servers8);
  EXPECT_EQ(pc7->SearchFolderByCookie(servers8->Identity()), nullptr);
  EXPECT_EQ(root->SearchFolderByCookie(12345), nullptr);

  EXPECT_EQ(root->SearchFolderByType(krftServers), servers);
  EXPECT_EQ(pc8->SearchFolderByType(krftServers), servers8);
  EXPECT_EQ(root->SearchFolderByType(krftRootFolder), root.get());
  EXPECT_EQ(root->SearchFolderByType(krftUsers), nullptr);

  EXPECT_EQ(servers8->SearchParentFolderByType(krftComputer), pc8);
  EXPECT_EQ(servers8->SearchParentFolderByType(krftRootFolder), root.get());
  EXPECT_EQ(pc8->SearchParentFolderByType(krftComputer), nullptr);  // proper ancestors only
  EXPECT_EQ(root->SearchParentFolderByType(krftRootFolder), nullptr);

  EXPECT_EQ(servers->SearchForParentComputer(), pc7);
  EXPECT_EQ(pc8->SearchForParentComputer(), pc8);
  EXPECT_EQ(group->SearchForParentComputer(), nullptr);
  EXPECT_EQ(workstations->SearchForParentComputer(), nullptr);
  EXPECT_EQ(root->SearchForParentComputer(), nullptr);
  TKRFolder loose;
  EXPECT_EQ(loose.SearchForParentComputer(), nullptr);
}

TEST(KRFolder, PrepareScopeItemHandsTheFolderToTheConsole) {
  auto root = Root();
  TKRFolder* folder = Attach(*root, "x");
  folder->PrepareScopeItem(42);
  EXPECT_EQ(folder->Cookie(), folder->Identity());
  EXPECT_EQ(folder->ScopeItem()->lParam, folder->Identity());
  EXPECT_EQ(folder->ScopeItem()->relativeID, 42);
  EXPECT_TRUE(folder->ScopeItem()->mask & SDI_PARAM);
  EXPECT_TRUE(folder->ScopeItem()->mask & SDI_STR);
}

TEST(KRFolder, ItemCookiesAnswerOnlyLiveItems) {
  auto root = Root();
  TKRFolder* folder = Attach(*root, "group", krftDBGroup);
  folder->PrepareScopeItem(1);
  TKRResultData* item = AttachItem(*folder, "x.dmp");

  auto otherTree = Root();
  EXPECT_EQ(otherTree->SearchItemByCookie(item->Cookie()), item);
  EXPECT_EQ(TKRFolder::SearchItemByCookie(folder->Cookie()), nullptr);
  EXPECT_EQ(TKRFolder::SearchItemByCookie(root->Cookie()), nullptr);
  for (MMC_COOKIE special : {MMC_COOKIE{0}, MMC_COOKIE{-1}, MMC_MULTI_SELECT_COOKIE,
                             MMC_COOKIE{0x1234567}, item->Cookie() + 1}) {
    EXPECT_EQ(TKRFolder::SearchItemByCookie(special), nullptr) << special;
  }

  const MMC_COOKIE gone = item->Cookie();
  root->RemoveChild(folder);
  EXPECT_EQ(TKRFolder::SearchItemByCookie(gone), nullptr);
}

TEST(KRFolder, RemovingAFolderDestroysItsSubtree) {
  auto root = Root();
  TKRFolder* a = Attach(*root, "a");
  TKRFolder* b = Attach(*root, "b");
  TKRFolder* child = Attach(*a, "child");
  const MMC_COOKIE deep = AttachItem(*Attach(*child, "grandchild"), "item")->Cookie();
  AttachItem(*a, "own");

  EXPECT_EQ(b->RemoveChild(a), nullptr);  // not b's child: nothing happens
  EXPECT_EQ(a->Parent(), root.get());

  std::unique_ptr<TKRFolder> removed = root->RemoveChild(a);
  ASSERT_EQ(removed.get(), a);
  EXPECT_EQ(removed->Parent(), nullptr);
  ASSERT_EQ(root->Childs().size(), 1u);
  EXPECT_EQ(root->Childs()[0].get(), b);
  EXPECT_EQ(root->GetColumns()[1], "1");
  EXPECT_NE(TKRFolder::SearchItemByCookie(deep), nullptr);
  removed.reset();
  EXPECT_EQ(TKRFolder::SearchItemByCookie(deep), nullptr);
}

TEST(KRFolder, NodeTypesSet) {
  const TKRNodeTypes none;
  const TKRNodeTypes items{krntItem};
  const TKRNodeTypes both{krntFolder, krntItem};
  EXPECT_FALSE(none.Contains(krntFolder));
  EXPECT_FALSE(none.Contains(krntItem));
  EXPECT_TRUE(items.Contains(krntItem));
  EXPECT_FALSE(items.Contains(krntFolder));
  EXPECT_TRUE(both.Contains(krntFolder) && both.Contains(krntItem));
}

// Cookies are looked up through an index, which must stay true to the tree:
// a folder is found only in its own subtree, only while it lives, under the
// cookie it holds now; among folders sharing a cookie the first in
// pre-order wins; a folder not handed to the console keeps -1.
TEST(KRFolder, CookieLookupsFollowTheTreeAsItChanges) {
  auto root = Root();
  TKRFolder* a = Attach(*root, "a");
  TKRFolder* b = Attach(*root, "b");
  TKRFolder* child = Attach(*a, "child");
  child->PrepareScopeItem(5);
  const MMC_COOKIE childCookie = child->Cookie();
  EXPECT_EQ(root->SearchFolderByCookie(childCookie), child);
  EXPECT_EQ(a->SearchFolderByCookie(childCookie), child);
  EXPECT_EQ(b->SearchFolderByCookie(childCookie), nullptr);
  auto otherTree = Root();
  EXPECT_EQ(otherTree->SearchFolderByCookie(childCookie), nullptr);
  EXPECT_EQ(otherTree->SearchFolderByCookie(0), otherTree.get());

  EXPECT_EQ(root->SearchFolderByCookie(-1), a);  // the first folder never handed over
  child->SetCookie(77);
  EXPECT_EQ(root->SearchFolderByCookie(childCookie), nullptr);
  EXPECT_EQ(root->SearchFolderByCookie(77), child);
  b->SetCookie(77);
  EXPECT_EQ(root->SearchFolderByCookie(77), child);  // a's subtree comes before b
  EXPECT_EQ(b->SearchFolderByCookie(77), b);

  std::unique_ptr<TKRFolder> removed = root->RemoveChild(a);
  EXPECT_EQ(root->SearchFolderByCookie(77), b);
  EXPECT_EQ(removed->SearchFolderByCookie(77), child);
  removed.reset();
  EXPECT_EQ(root->SearchFolderByCookie(77), b);
  EXPECT_EQ(b->SearchFolderByCookie(childCookie), nullptr);
}

// The result pane asks for a folder by cookie for every row it lists, and
// for item cookies that are no folder's; a lookup must not walk the tree.
TEST(KRFolder, ACookieLookupCostsTheSameInAWideTree) {
  const double growth = GrowthPerUnit(500, 4000, [](int n) {
    auto root = Root();
    TKRFolder* servers = Attach(*root, "Servers", krftServers);
    std::vector<TKRFolder*> folders;
    for (int i = 0; i < n; ++i) {
      folders.push_back(Attach(*servers, "OS" + std::to_string(i)));
      folders.back()->PrepareScopeItem(1);
    }
    const MMC_COOKIE item = AttachItem(*servers, "not a folder")->Cookie();
    for (TKRFolder* folder : folders) {
      ASSERT_EQ(root->SearchFolderByCookie(folder->Cookie()), folder);
      ASSERT_EQ(root->SearchFolderByCookie(item), nullptr);
    }
  });
  EXPECT_LT(growth, 3.0);
}
