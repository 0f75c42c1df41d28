#include "console/host/ResultPane.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "platform/testing/Scaling.h"

namespace {

RESULTDATAITEM ResultItem(LPARAM lParam, UINT state = 0) {
  RESULTDATAITEM item{};
  item.mask = RDI_STR | RDI_PARAM | RDI_STATE;
  item.str = MMC_CALLBACK;
  item.lParam = lParam;
  item.nState = state;
  return item;
}

TResultPane PaneWithScopeRows(int scopeRows) {
  TResultPane pane;
  std::vector<TResultRow> rows;
  for (int i = 0; i < scopeRows; ++i) {
    TResultRow row;
    row.scope = true;
    row.id = 100 + i;
    rows.push_back(row);
  }
  pane.SetScopeRows(rows);
  return pane;
}

TEST(ResultPaneTest, RowNumbersCountScopeRowsFirst) {
  TResultPane pane = PaneWithScopeRows(2);
  RESULTDATAITEM a = ResultItem(11);
  ASSERT_EQ(pane.Insert(a), S_OK);
  EXPECT_EQ(pane.Count(), 3);
  EXPECT_TRUE(pane.At(0)->scope);
  EXPECT_EQ(pane.At(2)->lParam, 11);
  EXPECT_EQ(pane.At(3), nullptr);
  RESULTDATAITEM scope = ResultItem(1);
  scope.bScopeItem = 1;
  EXPECT_EQ(pane.Insert(scope), E_INVALIDARG);

  RESULTDATAITEM got{};
  got.mask = RDI_PARAM | RDI_INDEX;
  got.itemID = a.itemID;
  ASSERT_EQ(pane.Get(got), S_OK);
  EXPECT_EQ(got.nIndex, 2);
  EXPECT_FALSE(got.bScopeItem);
}

TEST(ResultPaneTest, WalksTheRowsInAStateAndEndsWithAFailure) {
  TResultPane pane = PaneWithScopeRows(1);
  pane.At(0)->state = LVIS_SELECTED;
  RESULTDATAITEM a = ResultItem(1, LVIS_SELECTED | LVIS_FOCUSED), b = ResultItem(2), c = ResultItem(3, LVIS_SELECTED);
  pane.Insert(a);
  pane.Insert(b);
  pane.Insert(c);
  std::vector<int> found;
  RESULTDATAITEM walk{};
  walk.nIndex = -1;
  walk.nState = LVIS_SELECTED;
  while (SUCCEEDED(pane.GetNext(walk))) {
    found.push_back(walk.nIndex);
  }
  EXPECT_EQ(found, (std::vector<int>{0, 1, 3}));
  EXPECT_EQ(walk.nIndex, -1);

  ASSERT_EQ(pane.ModifyState(0, c.itemID, 0, LVIS_SELECTED), S_OK);
  EXPECT_EQ(pane.ModifyState(0, 0xDEAD, LVIS_SELECTED, 0), E_INVALIDARG);
  RESULTDATAITEM all{};
  all.nIndex = -1;
  int count = 0;
  while (SUCCEEDED(pane.GetNext(all))) ++count;
  EXPECT_EQ(count, 4);
}

TEST(ResultPaneTest, ScopeRowsKeepTheirStateWhenListedAgain) {
  TResultPane pane = PaneWithScopeRows(2);
  pane.At(1)->state = LVIS_SELECTED;
  TResultRow kept;
  kept.scope = true;
  kept.id = 101;
  TResultRow added;
  added.scope = true;
  added.id = 200;
  pane.SetScopeRows({added, kept});
  EXPECT_EQ(pane.At(0)->state, 0u);
  EXPECT_EQ(pane.At(1)->state, UINT(LVIS_SELECTED));
}

TEST(ResultPaneTest, DeletesFindsAndChangesResultItemsOnly) {
  TResultPane pane = PaneWithScopeRows(1);
  RESULTDATAITEM a = ResultItem(5);
  pane.Insert(a);
  HRESULTITEM id = 0;
  EXPECT_EQ(pane.FindByLParam(5, id), S_OK);
  EXPECT_EQ(id, a.itemID);
  EXPECT_EQ(pane.FindByLParam(6, id), E_FAIL);
  RESULTDATAITEM onScope{};
  onScope.mask = RDI_PARAM;
  onScope.nIndex = 0;
  EXPECT_EQ(pane.Set(onScope), E_INVALIDARG);
  EXPECT_EQ(pane.Delete(a.itemID), S_OK);
  EXPECT_EQ(pane.Delete(a.itemID), E_INVALIDARG);
  RESULTDATAITEM b = ResultItem(5);
  pane.Insert(b);
  EXPECT_NE(b.itemID, a.itemID);
}

TEST(ResultPaneTest, SortIsStableAndSurvivesAnInconsistentComparison) {
  TResultPane pane;
  for (LPARAM i = 0; i < 40; ++i) {
    RESULTDATAITEM item = ResultItem(i);
    pane.Insert(item);
  }
  pane.SortItems([](const TResultRow& a, const TResultRow& b) {
    return int(a.lParam % 3) - int(b.lParam % 3);
  });
  for (int i = 1; i < pane.Count(); ++i) {
    const LPARAM prev = pane.At(i - 1)->lParam, cur = pane.At(i)->lParam;
    ASSERT_TRUE(prev % 3 < cur % 3 || (prev % 3 == cur % 3 && prev < cur)) << i;
  }
  std::mt19937 random(7);
  pane.SortItems([&](const TResultRow&, const TResultRow&) { return int(random() % 3) - 1; });
  std::vector<bool> seen(40, false);
  for (int i = 0; i < pane.Count(); ++i) seen[size_t(pane.At(i)->lParam)] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 40);
}

TEST(ResultPaneTest, ColumnsInsertAtValidPositionsAndDeleteUntilNoneAreLeft) {
  TResultPane pane;
  EXPECT_EQ(pane.InsertColumn(1, {u"Late"}), E_INVALIDARG);
  ASSERT_EQ(pane.InsertColumn(0, {u"B"}), S_OK);
  ASSERT_EQ(pane.InsertColumn(0, {u"A"}), S_OK);
  ASSERT_EQ(pane.InsertColumn(2, {u"C"}), S_OK);
  EXPECT_EQ(pane.Column(0)->title, u"A");
  EXPECT_EQ(pane.Column(2)->title, u"C");
  int deleted = 0;
  while (SUCCEEDED(pane.DeleteColumn(0))) ++deleted;
  EXPECT_EQ(deleted, 3);
  EXPECT_EQ(pane.Column(0), nullptr);
}

}  // namespace

namespace {

// Handles and row numbers follow the rows through deletions and sorts.
TEST(ResultPaneTest, HandlesFindTheirRowsAfterDeletionsAndSorts) {
  TResultPane pane = PaneWithScopeRows(2);
  std::vector<RESULTDATAITEM> items;
  for (LPARAM i = 0; i < 6; ++i) {
    items.push_back(ResultItem(10 + i));
    ASSERT_EQ(pane.Insert(items.back()), S_OK);
  }
  const auto indexOf = [&pane](HRESULTITEM id) {
    RESULTDATAITEM got{};
    got.mask = RDI_INDEX | RDI_PARAM;
    got.itemID = id;
    return SUCCEEDED(pane.Get(got)) ? std::pair(got.nIndex, got.lParam) : std::pair(-1, LPARAM{0});
  };
  ASSERT_EQ(pane.Delete(items[1].itemID), S_OK);
  EXPECT_EQ(indexOf(items[1].itemID).first, -1);
  EXPECT_EQ(indexOf(items[0].itemID), std::pair(2, LPARAM{10}));
  EXPECT_EQ(indexOf(items[5].itemID), std::pair(6, LPARAM{15}));
  pane.SortItems([](const TResultRow& a, const TResultRow& b) { return int(b.lParam - a.lParam); });
  EXPECT_EQ(indexOf(items[5].itemID), std::pair(2, LPARAM{15}));
  EXPECT_EQ(indexOf(items[0].itemID), std::pair(6, LPARAM{10}));
  EXPECT_EQ(pane.FindItem(items[2].itemID)->lParam, 12);
  pane.DeleteAllItems();
  EXPECT_EQ(pane.FindItem(items[2].itemID), nullptr);
  EXPECT_EQ(pane.Count(), 2);
}

// Listing n rows, looking each up by handle and by number, and listing the
// scope rows again costs O(n), not O(n^2).
TEST(ResultPaneTest, FillingAndWalkingThePaneCostsTheSamePerRow) {
  const double growth = GrowthPerUnit(500, 4000, [](int n) {
    TResultPane pane = PaneWithScopeRows(n);
    pane.SetScopeRows(std::vector<TResultRow>(size_t(n)));
    std::vector<HRESULTITEM> ids;
    for (int i = 0; i < n; ++i) {
      RESULTDATAITEM item = ResultItem(i);
      pane.Insert(item);
      ids.push_back(item.itemID);
    }
    for (HRESULTITEM id : ids) {
      RESULTDATAITEM got{};
      got.mask = RDI_INDEX;
      got.itemID = id;
      ASSERT_EQ(pane.Get(got), S_OK);
      ASSERT_EQ(pane.ModifyState(0, id, LVIS_SELECTED, 0), S_OK);
    }
  });
  EXPECT_LT(growth, 3.0);
}

}  // namespace
