#include "console/host/ScopeTree.h"

#include <gtest/gtest.h>

namespace {

SCOPEDATAITEM ScopeItem(HSCOPEITEM relative, LPARAM cookie, DWORD placement = 0) {
  SCOPEDATAITEM item{};
  item.mask = SDI_STR | SDI_PARAM | placement;
  item.displayname = MMC_CALLBACK;
  item.lParam = cookie;
  item.relativeID = relative;
  return item;
}

std::vector<LPARAM> Cookies(TScopeTree& tree, HSCOPEITEM parent) {
  std::vector<LPARAM> cookies;
  for (HSCOPEITEM child : tree.Find(parent)->children) cookies.push_back(tree.Find(child)->lParam);
  return cookies;
}

TEST(ScopeTreeTest, PlacesItemsByTheirRelative) {
  TScopeTree tree;
  const HSCOPEITEM root = tree.Reset(u"Root", 0);
  SCOPEDATAITEM a = ScopeItem(root, 1), b = ScopeItem(root, 2);
  ASSERT_EQ(tree.Insert(a), S_OK);
  ASSERT_EQ(tree.Insert(b), S_OK);
  SCOPEDATAITEM first = ScopeItem(root, 3, SDI_FIRST);
  SCOPEDATAITEM afterA = ScopeItem(a.ID, 4, SDI_PREVIOUS);
  SCOPEDATAITEM beforeB = ScopeItem(b.ID, 5, SDI_NEXT);
  ASSERT_EQ(tree.Insert(first), S_OK);
  ASSERT_EQ(tree.Insert(afterA), S_OK);
  ASSERT_EQ(tree.Insert(beforeB), S_OK);
  EXPECT_EQ(Cookies(tree, root), (std::vector<LPARAM>{3, 1, 4, 5, 2}));
  EXPECT_EQ(tree.Find(afterA.ID)->parent, root);
  EXPECT_NE(a.ID, b.ID);
}

TEST(ScopeTreeTest, RefusesBadRelativesAndPlacements) {
  TScopeTree tree;
  const HSCOPEITEM root = tree.Reset(u"Root", 0);
  SCOPEDATAITEM unknown = ScopeItem(root + 999, 1);
  EXPECT_EQ(tree.Insert(unknown), E_INVALIDARG);
  SCOPEDATAITEM two = ScopeItem(root, 1, SDI_FIRST | SDI_NEXT);
  EXPECT_EQ(tree.Insert(two), E_INVALIDARG);
  SCOPEDATAITEM siblingOfRoot = ScopeItem(root, 1, SDI_NEXT);
  EXPECT_EQ(tree.Insert(siblingOfRoot), E_INVALIDARG);
  SCOPEDATAITEM noName = ScopeItem(root, 1);
  noName.displayname = nullptr;
  EXPECT_EQ(tree.Insert(noName), E_INVALIDARG);
  EXPECT_TRUE(tree.Find(root)->children.empty());
}

TEST(ScopeTreeTest, DeletesSubtreesAndNeverReusesHandles) {
  TScopeTree tree;
  const HSCOPEITEM root = tree.Reset(u"Root", 0);
  SCOPEDATAITEM a = ScopeItem(root, 1);
  tree.Insert(a);
  SCOPEDATAITEM child = ScopeItem(a.ID, 2);
  tree.Insert(child);
  SCOPEDATAITEM grandChild = ScopeItem(child.ID, 3);
  tree.Insert(grandChild);

  std::vector<HSCOPEITEM> removed;
  ASSERT_EQ(tree.Delete(a.ID, false, &removed), S_OK);
  EXPECT_EQ(removed.size(), 2u);
  EXPECT_NE(tree.Find(a.ID), nullptr);
  EXPECT_EQ(tree.Find(grandChild.ID), nullptr);
  EXPECT_TRUE(tree.IsWithin(a.ID, root));

  SCOPEDATAITEM again = ScopeItem(a.ID, 4);
  tree.Insert(again);
  EXPECT_NE(again.ID, child.ID);
  EXPECT_NE(again.ID, grandChild.ID);
  ASSERT_EQ(tree.Delete(a.ID, true, &removed), S_OK);
  EXPECT_EQ(removed.size(), 2u);
  EXPECT_EQ(tree.Delete(a.ID, true), E_INVALIDARG);
  EXPECT_EQ(tree.Delete(root, true), E_INVALIDARG);
  EXPECT_TRUE(tree.Find(root)->children.empty());
}

TEST(ScopeTreeTest, SetAndGetTouchOnlyTheMaskedMembers) {
  TScopeTree tree;
  const HSCOPEITEM root = tree.Reset(u"Root", 0);
  SCOPEDATAITEM a = ScopeItem(root, 7);
  tree.Insert(a);
  SCOPEDATAITEM change{};
  change.ID = a.ID;
  change.mask = SDI_STR | SDI_IMAGE;
  std::u16string name = u"Named";
  change.displayname = name.data();
  change.nImage = 5;
  ASSERT_EQ(tree.Set(change), S_OK);
  change.displayname = nullptr;
  change.nImage = 9;
  EXPECT_EQ(tree.Set(change), E_INVALIDARG);  // the whole change is refused

  SCOPEDATAITEM got{};
  got.ID = a.ID;
  got.mask = SDI_STR | SDI_IMAGE | SDI_PARAM;
  ASSERT_EQ(tree.Get(got), S_OK);
  EXPECT_EQ(std::u16string(got.displayname), u"Named");
  EXPECT_EQ(got.nImage, 5);
  EXPECT_EQ(got.lParam, 7);
  EXPECT_EQ(got.relativeID, root);
  EXPECT_EQ(tree.FindByCookie(7), a.ID);
  EXPECT_EQ(tree.FindByCookie(8), 0);
}

}  // namespace
