// Sort handles and conditions through the C functions: sort fields in mixed directions,
// distinct rows with their counts, filters of values, regular expressions, other fields and
// linked records, searches, deletions by condition, and the handles' lifetimes.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiConditionTest : public ShopTest {
 protected:
  void SetUp() override {
    ShopTest::SetUp();
    t_ = Start(root_);
  }

  // The rows of a cursor filtered by the condition (which is released), or "<status n>" when
  // the cursor is refused.
  std::vector<std::string> Filtered(KSHandle condition,
                                    std::vector<const char16_t*> fields = {u"name"},
                                    const char16_t* cls = u"Item") {
    const KSHandle sort = KSGetNewSortHandle();
    EXPECT_EQ(KSSetFilterCondition(sort, condition), KS_OK);
    KSReleaseCondition(condition);
    const KSHandle c = Cursor(t_, cls, fields, u"", sort);
    KSReleaseSortHandle(sort);
    if (c == 0) return {"<status " + std::to_string(KSGetLastCursorError()) + ">"};
    return Rows(c, fields.size());
  }

  KSHandle Compare(const char16_t* field, int32_t op, KSField value, int32_t target = 0) {
    return KSMakeNewCondition(field, op, &value, target);
  }

  KSRecordID Insert(const char16_t* name, int32_t stock) {
    const KSHandle c = Cursor(t_, u"Item", {u"name", u"stock"});
    KSField values[2] = {TextField(name), IntField(KS_TYPE_INTEGER, stock)};
    KSRecordID id = -1;
    EXPECT_EQ(KSInsertNewRecord(c, values, 2, nullptr, &id), KS_OK);
    KSReleaseCursor(c);
    return id;
  }

  KSHandle t_ = 0;
};

TEST_F(ApiConditionTest, SortFieldsInMixedDirectionsThenDistinctRowsWithTheirCounts) {
  Insert(u"Desk", 2);
  Insert(u"Bed", 5);
  const KSHandle sort = KSGetNewSortHandle();
  ASSERT_EQ(KSAddSortField(sort, u"stock", 1), KS_OK);
  ASSERT_EQ(KSAddSortField(sort, u"name", 0), KS_OK);
  EXPECT_EQ(Rows(Cursor(t_, u"Item", {u"name", u"stock"}, u"", sort), 2),
            (std::vector<std::string>{"Bed|5", "Chair|5", "Desk|2", "Table|2", "Lamp|0"}));

  // Distinct rows: the first of each group in the order, standing for the whole group.
  const KSHandle grouped = KSGetNewSortHandle();
  ASSERT_EQ(KSAddSortField(grouped, u"stock", 0), KS_OK);
  ASSERT_EQ(KSAddDistinctField(grouped, u"stock"), KS_OK);
  const KSHandle c = Cursor(t_, u"Item", {u"stock", u"Count()", u"name"}, u"", grouped);
  ASSERT_NE(c, 0u);
  EXPECT_EQ(Rows(c, 3), (std::vector<std::string>{"0|1|Lamp", "2|2|Table", "5|2|Chair"}));
  KSField cot[2] = {IntField(KS_TYPE_INTEGER, 5, u"stock"), TextField(u"Cot", u"name")};
  KSRecordID id = 0;
  EXPECT_EQ(KSInsertNewRecord(c, cot, 2, nullptr, &id), KS_RECORD_NOT_IN_CURSOR)
      << "Chair's row stands for it";
  ASSERT_EQ(KSGoto(c, 1), KS_OK);
  ASSERT_EQ(KSDeleteCurrentRecord(c), KS_OK);
  EXPECT_EQ(Rows(c, 3), (std::vector<std::string>{"0|1|Lamp", "2|1|Desk", "5|3|Chair"}));

  // The filter applies before the order.
  KSField e = TextField(u"e");
  const KSHandle hasE = KSMakeNewCondition(u"name", 2, &e, 1);
  ASSERT_EQ(KSSetFilterCondition(sort, hasE), KS_OK);
  EXPECT_EQ(Rows(Cursor(t_, u"Item", {u"name"}, u"", sort), 1),
            (std::vector<std::string>{"Bed", "Desk"}));
  ASSERT_EQ(KSSetFilterCondition(sort, 0), KS_OK);
  EXPECT_EQ(KSGetCount(Cursor(t_, u"Item", {u"name"}, u"", sort)), 5) << "no filter any more";
  KSReleaseCondition(hasE);
  KSReleaseSortHandle(sort);
  KSReleaseSortHandle(grouped);
}

TEST_F(ApiConditionTest, RegularExpressionsMatchAnywhereUnlessAnchored) {
  EXPECT_EQ(Filtered(Compare(u"name", 2, TextField(u"a"), 1)),
            (std::vector<std::string>{"Chair", "Table", "Lamp"}));
  EXPECT_EQ(Filtered(Compare(u"name", 2, TextField(u"^[tT]able$"), 1)),
            std::vector<std::string>{"Table"});
  EXPECT_EQ(Filtered(Compare(u"name", 2, TextField(u"^able"), 1)), std::vector<std::string>{});
  EXPECT_EQ(Filtered(Compare(u"name", 3, TextField(u"^T"), 1)),
            (std::vector<std::string>{"Chair", "Lamp"}));
  EXPECT_EQ(Filtered(Compare(u"supplierP.name", 2, TextField(u"dic$"), 1)),
            (std::vector<std::string>{"Chair", "Table"}));

  const KSHandle c = Cursor(t_, u"Item", {u"name"});
  const KSHandle lamp = Compare(u"name", 2, TextField(u"^L"), 1);
  const KSHandle none = Compare(u"name", 2, TextField(u"^Z"), 1);
  ASSERT_EQ(KSGotoFirstMatch(c, lamp), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordID(c), 5);
  EXPECT_EQ(KSGotoFirstMatch(c, none), KS_END_OF_TABLE);
  EXPECT_EQ(KSGetCurrentRecordID(c), 5) << "a search without match leaves the cursor";
  EXPECT_EQ(KSGotoFirstMatch(c, 0), KS_OK) << "no condition: the first row";
  EXPECT_EQ(KSGetCurrentRecordID(c), 3);

  KSReleaseCondition(lamp);
  KSReleaseCondition(none);

  // An invalid expression is reported wherever the condition is used.
  const KSHandle broken = Compare(u"name", 2, TextField(u"(["), 1);
  ASSERT_NE(broken, 0u);
  EXPECT_EQ(KSGotoFirstMatch(c, broken), KS_ERR_INVALID_PATTERN);
  int32_t count = 5;
  EXPECT_EQ(KSDestroyAll(t_, u"Item", broken, &count), KS_ERR_INVALID_PATTERN);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Filtered(broken), std::vector<std::string>{"<status 3030>"});
  EXPECT_EQ(Filtered(Compare(u"name", 0, TextField(u"C"), 1)),
            std::vector<std::string>{"<status 1002>"})
      << "an expression is matched, not ordered";
  EXPECT_EQ(Filtered(Compare(u"stock", 2, TextField(u"5"), 1)),
            std::vector<std::string>{"<status 1002>"})
      << "expressions apply to texts";
  EXPECT_EQ(Filtered(Compare(u"nothing", 2, TextField(u"x"), 1)),
            std::vector<std::string>{"<status 1005>"});
}

TEST_F(ApiConditionTest, ValuesAndOtherFieldsCompareAsTheyRead) {
  ASSERT_EQ(SetInt(t_, 3, u"kind", KS_TYPE_ENUMERATED, 2), KS_OK);
  EXPECT_EQ(Filtered(Compare(u"kind", 2, IntField(KS_TYPE_ENUMERATED, 0))),
            (std::vector<std::string>{"Table", "Lamp"}))
      << "the null value finds the nulls";
  EXPECT_EQ(Filtered(Compare(u"supplierP", 2, IntField(KS_TYPE_REFERENCE, -1))),
            std::vector<std::string>{"Lamp"});
  EXPECT_EQ(Filtered(Compare(u"id", 4, IntField(KS_TYPE_INTEGER, 4))),
            (std::vector<std::string>{"Table", "Lamp"}));
  EXPECT_EQ(Filtered(Compare(u"name", 1, TextField(u"Lamp"))),
            (std::vector<std::string>{"Chair", "Lamp"}));
  EXPECT_EQ(Filtered(Compare(u"stock", 5, TextField(u"kind"), 2)),
            (std::vector<std::string>{"Chair", "Table"}));
  EXPECT_EQ(Filtered(Compare(u"stock", 2, TextField(u"kind"), 2)), std::vector<std::string>{"Lamp"});
  EXPECT_EQ(Filtered(Compare(u"name", 2, TextField(u"stock"), 2)),
            std::vector<std::string>{"<status 1002>"})
      << "a text is not compared with a number";
  EXPECT_EQ(Filtered(Compare(u"name", 2, IntField(KS_TYPE_INTEGER, 1))),
            std::vector<std::string>{"<status 1002>"});
  EXPECT_EQ(Filtered(Compare(u"stock", 2, TextField(u"nothing"), 2)),
            std::vector<std::string>{"<status 1005>"});
}

TEST_F(ApiConditionTest, ContainsConditionsTestTheLinkedRecords) {
  const KSHandle table = Compare(u"name", 2, TextField(u"Table"));
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"itemsPV", table, 0), {u"name"}, u"Supplier"),
            std::vector<std::string>{"Nordic"});
  const KSHandle stocked = Compare(u"stock", 5, IntField(KS_TYPE_INTEGER, 3));
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"itemsPV", stocked, 1), {u"name"}, u"Supplier"),
            std::vector<std::string>{"Alpine"})
      << "every linked record: Nordic's table has 2; Alpine has none";
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"itemsPV", 0, 0), {u"name"}, u"Supplier"),
            std::vector<std::string>{"Nordic"})
      << "without a condition: any linked record";

  // A stored link list.
  ASSERT_EQ(KSCreateNewLink(t_, 6, u"taggedPV", 3), KS_OK);
  const KSHandle chair = Compare(u"name", 2, TextField(u"^Ch"), 1);
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"taggedPV", chair, 0), {u"label"}, u"Tag"),
            std::vector<std::string>{"new"});
  const KSHandle lamp = Compare(u"name", 2, TextField(u"Lamp"));
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"taggedPV", lamp, 0), {u"label"}, u"Tag"),
            std::vector<std::string>{});
  EXPECT_EQ(Filtered(KSMakeContainsFieldAsCondition(u"name", 0, 0), {u"label"}, u"Tag"),
            std::vector<std::string>{"<status 1003>"})
      << "not a link field";
}

TEST_F(ApiConditionTest, DestroyAllDeletesWhatTheConditionFindsOrNothing) {
  int32_t count = -1;
  const KSHandle two = Compare(u"stock", 2, IntField(KS_TYPE_INTEGER, 2));
  ASSERT_EQ(KSDestroyAll(t_, u"Item", two, &count), KS_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(KSGetObject(t_, 4), 0u);
  const KSHandle both = Compare(u"name", 2, TextField(u"^[LC]"), 1);
  EXPECT_EQ(KSDestroyAll(t_, u"Item", both, &count), KS_ERR_DELETE_REFUSED) << "the lamp is locked";
  EXPECT_EQ(count, 0);
  EXPECT_NE(KSGetObject(t_, 3), 0u) << "all or nothing";
  const KSHandle unknown = Compare(u"nothing", 2, IntField(KS_TYPE_INTEGER, 2));
  EXPECT_EQ(KSDestroyAll(t_, u"Item", unknown, &count), KS_ERR_NO_SUCH_FIELD);
  KSReleaseCondition(both);
  KSReleaseCondition(unknown);
  ASSERT_EQ(KSReleaseCondition(two), KS_OK);
  EXPECT_EQ(KSDestroyAll(t_, u"Item", two, &count), KS_ERR_INVALID_HANDLE) << "released";
  ASSERT_EQ(KSCommit(t_, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSGetCount(Cursor(root_, u"Item", {u"name"})), 2);
}

TEST_F(ApiConditionTest, HandlesCountUntilReleasedAndCombiningTakesThePartsOver) {
  const int32_t before = KSGetOpenHandleCount();
  const KSHandle a = Compare(u"stock", 4, IntField(KS_TYPE_INTEGER, 2));
  const KSHandle b = Compare(u"name", 2, TextField(u"Table"));
  EXPECT_EQ(KSGetOpenHandleCount(), before + 2);
  const KSHandle both = KSMakeANDConditions(a, b);
  ASSERT_NE(both, 0u);
  EXPECT_EQ(KSGetOpenHandleCount(), before + 1);
  EXPECT_EQ(KSReleaseCondition(a), KS_ERR_INVALID_HANDLE) << "taken over";
  const KSHandle either = KSMakeORConditions(both, 0);
  ASSERT_NE(either, 0u);
  EXPECT_EQ(KSReleaseCondition(both), KS_ERR_INVALID_HANDLE);
  const KSHandle sort = KSGetNewSortHandle();
  ASSERT_EQ(KSSetFilterCondition(sort, either), KS_OK);
  ASSERT_EQ(KSReleaseCondition(either), KS_OK) << "the sort handle keeps its own share";
  const KSHandle c = Cursor(t_, u"Item", {u"name"}, u"", sort);
  EXPECT_EQ(Rows(c, 1), std::vector<std::string>{"Table"});
  EXPECT_EQ(KSGetOpenHandleCount(), before + 2);
  EXPECT_EQ(KSReleaseCursor(c), KS_OK);
  EXPECT_EQ(KSReleaseSortHandle(sort), KS_OK);
  EXPECT_EQ(KSReleaseSortHandle(sort), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSGetOpenHandleCount(), before);

  const KSHandle kept = Compare(u"stock", 2, IntField(KS_TYPE_INTEGER, 2));
  EXPECT_EQ(KSMakeANDConditions(0, 0), 0u);
  EXPECT_EQ(KSMakeORConditions(kept, KSHandle{0x80000009}), 0u);
  EXPECT_EQ(KSMakeContainsFieldAsCondition(u"", kept, 0), 0u);
  EXPECT_EQ(KSReleaseCondition(kept), KS_OK) << "a refused combination takes nothing over";
  KSField value = IntField(KS_TYPE_INTEGER, 1);
  KSField noType{};
  EXPECT_EQ(KSMakeNewCondition(u"stock", 2, nullptr, 0), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"stock", 6, &value, 0), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"stock", 2, &value, 3), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"", 2, &value, 0), 0u);
  EXPECT_EQ(KSMakeNewCondition(u"stock", 2, &noType, 0), 0u);
  EXPECT_EQ(KSGetOpenHandleCount(), before);
}

TEST_F(ApiConditionTest, SortHandlesRefuseBadInputAndUnknownFieldsAtCursorCreation) {
  EXPECT_EQ(KSAddSortField(0, u"name", 0), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSAddDistinctField(t_, u"name"), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSSetFilterCondition(KSHandle{0x70000001}, 0), KS_ERR_INVALID_HANDLE);
  const KSHandle sort = KSGetNewSortHandle();
  EXPECT_EQ(KSAddSortField(sort, u"", 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSAddDistinctField(sort, nullptr), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSetFilterCondition(sort, KSHandle{0x80000005}), KS_ERR_INVALID_HANDLE);
  ASSERT_EQ(KSAddSortField(sort, u"nothing", 0), KS_OK) << "names are resolved by the cursor";
  EXPECT_EQ(Cursor(t_, u"Item", {u"name"}, u"", sort), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_FIELD);
  const KSHandle distinct = KSGetNewSortHandle();
  ASSERT_EQ(KSAddDistinctField(distinct, u"nothing"), KS_OK);
  EXPECT_EQ(Cursor(t_, u"Item", {u"name"}, u"", distinct), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_FIELD);
  KSReleaseSortHandle(sort);
  KSReleaseSortHandle(distinct);
}

}  // namespace
}  // namespace kestrel::test
