#include "dataset/KRDataSet_CMP_FieldNames.h"

#include <gtest/gtest.h>

#include "dataset/KRDataSet_CMP_TestSupport_test.h"

using namespace kr_dataset_test;

namespace {

TEST(FieldNames, ItemsShowTheirNameAndDirection) {
  TKRSortFields sortFields(nullptr);
  sortFields.AddSortField("name", krapisoAscending);
  sortFields.AddSortField("customerP.city", krapisoDescending);
  EXPECT_EQ(sortFields.Items(0).DisplayName(), "name");
  EXPECT_EQ(sortFields.Items(1).DisplayName(), "customerP.city (desc)");
  EXPECT_TRUE(sortFields.SortField(1).Descending());
  EXPECT_EQ(sortFields.GetFieldName(1), "customerP.city");
  EXPECT_THROW(sortFields.GetFieldName(2), EListError);

  TKRFieldNames distinct(nullptr);
  distinct.AddFieldName("city");
  EXPECT_EQ(distinct.Items(0).DisplayName(), "city");
}

TEST(FieldNames, ListsAreEqualItemByItemInOrder) {
  TKRSortFields a(nullptr);
  TKRSortFields b(nullptr);
  EXPECT_TRUE(a.Equals(b));
  a.AddSortField("name", krapisoAscending);
  a.AddSortField("city", krapisoDescending);
  b.AddSortField("name", krapisoAscending);
  EXPECT_FALSE(a.Equals(b));
  b.AddSortField("city", krapisoAscending);
  EXPECT_FALSE(a.Equals(b));
  b.SortField(1).SetSortOrder(krapisoDescending);
  EXPECT_TRUE(a.Equals(b));
  b.SortField(0).SetFieldName("Name");
  EXPECT_FALSE(a.Equals(b));

  // The same names as distinct fields are another list.
  TKRFieldNames names(nullptr);
  names.AddFieldName("name");
  names.AddFieldName("city");
  EXPECT_FALSE(names.Equals(a));
  EXPECT_FALSE(a.Equals(names));
}

TEST(FieldNames, AssignCopiesNamesAndOrders) {
  TKRSortFields source(nullptr);
  source.AddSortField("name", krapisoDescending);
  source.AddSortField("city", krapisoAscending);
  TKRSortFields sortCopy(nullptr);
  sortCopy.AddSortField("stale", krapisoAscending);
  sortCopy.Assign(source);
  EXPECT_TRUE(sortCopy.Equals(source));

  TKRFieldNames namesCopy(nullptr);
  namesCopy.Assign(source);
  ASSERT_EQ(namesCopy.Count(), 2);
  EXPECT_EQ(namesCopy.GetFieldName(0), "name");
  EXPECT_EQ(namesCopy.GetFieldName(1), "city");

  TKRSortFields fromNames(nullptr);
  fromNames.Assign(namesCopy);
  EXPECT_FALSE(fromNames.SortField(0).Descending());
}

TEST(FieldNames, ListsSurviveTheComponentStream) {
  TTestTable table;
  table.SetName("Customers");
  table.DistinctFields().AddFieldName("city");
  table.SortFields().AddSortField("rating", krapisoDescending);
  table.SortFields().AddSortField("name", krapisoAscending);
  const std::vector<uint8_t> bytes = WriteTable(table);

  TTestTable copy;
  ReadTable(bytes, copy);
  EXPECT_TRUE(copy.DistinctFields().Equals(table.DistinctFields()));
  EXPECT_TRUE(copy.SortFields().Equals(table.SortFields()));
  // Only the descending order is written: ascending is the default.
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("krapisoDescending"), std::string::npos);
  EXPECT_EQ(text.find("krapisoAscending"), std::string::npos);
}

}  // namespace
