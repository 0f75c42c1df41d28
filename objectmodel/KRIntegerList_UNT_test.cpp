#include "objectmodel/KRIntegerList_UNT.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<intptr_t> Items(const TKRCustomIntegerList& list) {
  std::vector<intptr_t> items;
  for (int32_t i = 0; i < list.GetCount(); ++i) items.push_back(list.GetItem(i));
  return items;
}

TEST(IntegerListTest, AddIndexOfAndBounds) {
  TKRCustomIntegerList list;
  EXPECT_EQ(list.GetCount(), 0);
  list.Add(5);
  list.Add(-1);
  list.Add(5);
  const intptr_t address = reinterpret_cast<intptr_t>(&list);
  list.Add(address);
  EXPECT_EQ(Items(list), (std::vector<intptr_t>{5, -1, 5, address}));
  EXPECT_EQ(list.IndexOf(5), 0);
  EXPECT_EQ(list.IndexOf(address), 3);
  EXPECT_EQ(list.IndexOf(6), -1);
  EXPECT_THROW(list.GetItem(4), EListError);
  EXPECT_THROW(list.GetItem(-1), EListError);
  list.Clear();
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(IntegerListTest, SetAsVariantArrayReplacesTheListInIndexOrder) {
  TKRCustomIntegerList list;
  list.Add(99);
  OleVariant array = OleVariant::Array(2, 4);
  array[2] = OleVariant(int32_t(7));
  array[3] = OleVariant(int64_t(1) << 40);
  array[4] = OleVariant(u"12");
  list.SetAsVariantArray(array);
  EXPECT_EQ(Items(list), (std::vector<intptr_t>{7, intptr_t(1) << 40, 12}));

  list.SetAsVariantArray(OleVariant());
  EXPECT_EQ(list.GetCount(), 0);
  list.Add(1);
  list.SetAsVariantArray(OleVariant::Null());
  EXPECT_EQ(list.GetCount(), 0);
  list.SetAsVariantArray(OleVariant::Array(0, -1));
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_THROW(list.SetAsVariantArray(OleVariant(int32_t(3))), EVariantError);
}

// Descendants see every element through the virtual Add.
class TEvenOnlyList : public TKRCustomIntegerList {
 public:
  void Add(intptr_t value) override {
    if (value % 2 == 0) TKRCustomIntegerList::Add(value);
  }
};

TEST(IntegerListTest, SetAsVariantArrayAddsThroughTheVirtualAdd) {
  TEvenOnlyList list;
  list.SetAsVariantArray(OleVariant::ArrayOf(
      {OleVariant(int32_t(1)), OleVariant(int32_t(2)), OleVariant(int32_t(4))}));
  EXPECT_EQ(Items(list), (std::vector<intptr_t>{2, 4}));
}

}  // namespace
