#include "objectmodel/KRDataSet_CO_Server_Strings.h"

#include <gtest/gtest.h>

namespace {

TEST(SortedStringsTest, EachTextIsKeptOnceAtItsSortedPlace) {
  TKRStrings list;
  EXPECT_EQ(AddSortedString(list, "Sales"), 0);
  EXPECT_EQ(AddSortedString(list, "Hr"), 0);
  EXPECT_EQ(AddSortedString(list, "Sales"), 1);
  EXPECT_EQ(AddSortedString(list, "sales"), 1);
  EXPECT_EQ(list, (TKRStrings{"Hr", "sales", "Sales"}));
  EXPECT_EQ(FindSortedString(list, "Sales"), 2);
  EXPECT_EQ(FindSortedString(list, "sales"), 1);
  EXPECT_EQ(FindSortedString(list, "SALES"), -1);
  EXPECT_EQ(FindSortedString(TKRStrings(), "x"), -1);
}

TEST(SortedStringsTest, AWrapperKeepsItsSharedListAlive) {
  ComPtr<IKRStringList> wrapper;
  {
    auto shared = MakeComObject<TKRSharedStrings>();
    shared->List = {"a", "b"};
    wrapper = BorrowStrings(shared.Get());
  }
  EXPECT_EQ(wrapper->Get_Count(), 2);
  EXPECT_EQ(wrapper->Get_Strings(1), u"b");
  EXPECT_EQ(BorrowStrings(nullptr)->Get_Count(), 0);
  const char16_t* names[] = {u"b", u"a", u"b"};
  EXPECT_EQ(SortedAPIStrings(3, names), (TKRStrings{"a", "b"}));
  EXPECT_EQ(APIStrings(3, names), (TKRStrings{"b", "a", "b"}));
  EXPECT_TRUE(APIStrings(2, nullptr).empty());
}

}  // namespace
