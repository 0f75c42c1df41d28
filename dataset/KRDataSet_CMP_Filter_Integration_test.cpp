// Conditions built from filters, run by the built Database API library on the
// demo server that kestrel-admin seeds in a temporary $KESTREL_HOME.
#include <gtest/gtest.h>

#include <optional>

#include "dataset/KRDataSet_CMP_Filter.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "dataset/KRDataSet_CMP_DemoSession_test.h"
#include "objectmodel/KRDataSet_CO_Values.h"
#include "platform/text/Utf.h"

using namespace kr_session_test;
using kr_dataset_test::TDemoSessionTest;

namespace {

// The fields of one class, as its session describes them.
class TSessionTable : public TKRFilterTable {
 public:
  TSessionTable(IKRSession& session, const std::u16string& className)
      : FSession(session), FClassID(session.GetClassID(className)) {}

  const KSFieldDescription* FindFieldDescription(const std::string& fieldName) override {
    return FSession.GetFieldDescription(FClassID, Utf8ToUtf16(fieldName), false);
  }

 private:
  IKRSession& FSession;
  KSClassID FClassID;
};

class FilterConditionTest : public TDemoSessionTest {
 protected:
  // A filter over the fields of `className`.
  TKRFilter& FilterOn(const std::u16string& className) {
    FTable.emplace(*FTree->session.Get(), className);
    FFilter.emplace(&*FTable);
    return *FFilter;
  }

  TKRFieldFilterNode& Add(TKRLogicalOperator op, const std::string& field,
                          TKRAPIConditionOperator compare, const OleVariant& value) {
    TKRFieldFilterNode& node = FFilter->Add(op);
    node.SetFieldName(field);
    node.SetOperator(compare);
    node.SetFieldValue(value);
    return node;
  }

  // The names of the records of `className` that the filter selects, by name.
  std::vector<std::string> Select(const std::u16string& className) {
    const TKRAPITable& api = KRAPI();
    const KSHandle transaction = FTree->session->Get_RootTransaction()->Get_Handle();
    const KSHandle sort = api.KSGetNewSortHandle();
    {
      const TKRAPICondition condition = FFilter->GetAsAPICondition();
      EXPECT_EQ(api.KSSetFilterCondition(sort, condition.Get()), KS_OK);
    }
    EXPECT_EQ(api.KSAddSortField(sort, u"name", krapiFalse), KS_OK);
    const char16_t* const fields[] = {u"name"};
    const KSHandle cursor =
        api.KSCreateCursor(transaction, className.c_str(), fields, 1, nullptr, sort);
    api.KSReleaseSortHandle(sort);
    if (cursor == 0) {
      ADD_FAILURE() << "no cursor: status " << api.KSGetLastCursorError();
      return {};
    }
    std::vector<std::string> names;
    KSField value{};
    while (api.KSGetNextRecord(cursor, &value) == KS_OK) {
      names.push_back(ConvertAPIStringToString(value.value.asString));
    }
    api.KSReleaseCursor(cursor);
    return names;
  }

  using Names = std::vector<std::string>;

  std::optional<TSessionTable> FTable;
  std::optional<TKRFilter> FFilter;
};

TEST_F(FilterConditionTest, FieldNodesJoinedWithAndThenOrSelectTheirRecords) {
  const int32_t openBefore = OpenHandleCount();
  FilterOn(u"Customer");
  Add(krloAnd, "rating", krapicoEqual, 2);
  Add(krloAnd, "creditLimit", krapicoGreater, 6000.0);
  Add(krloOr, "name", krapicoEqual, u"cost*");
  EXPECT_EQ(Select(u"Customer"), (Names{"Costa Ltd", "Eriksen AS"}));
  FFilter->Clear();
  EXPECT_EQ(Select(u"Customer").size(), 6u);
  EXPECT_EQ(OpenHandleCount(), openBefore);
}

TEST_F(FilterConditionTest, TextsMatchAsPatternsLiteralsAndOtherFields) {
  FilterOn(u"Customer");
  TKRFieldFilterNode& node = Add(krloAnd, "name", krapicoEqual, u"*SÖHNE");
  EXPECT_EQ(Select(u"Customer"), (Names{"Berg & Söhne"}));
  node.SetOperator(krapicoNotEqual);
  EXPECT_EQ(Select(u"Customer").size(), 5u);

  node.SetOperator(krapicoEqual);
  node.SetLiteral(true);
  node.SetFieldValue(u"Costa Ltd");
  EXPECT_EQ(Select(u"Customer"), (Names{"Costa Ltd"}));
  node.SetFieldValue(u"costa ltd");
  EXPECT_EQ(Select(u"Customer"), Names{});

  node.SetCompareWithField(true);
  node.SetOperator(krapicoGreater);
  node.SetFieldValue(u"city");
  EXPECT_EQ(Select(u"Customer"), (Names{"Eriksen AS"}));

  // A path through a reference is a field of the class too.
  FilterOn(u"Product");
  Add(krloAnd, "supplierP.name", krapicoEqual, u"nordic");
  EXPECT_EQ(Select(u"Product"), (Names{"Chair", "Table"}));
}

TEST_F(FilterConditionTest, IndexNodesLookAtTheLinkedRecords) {
  TKRFilter& filter = FilterOn(u"Customer");
  auto index = std::make_unique<TKRIndexFilterNode>(filter);
  TKRIndexFilterNode& orders = *index;
  orders.SetIndexName("ordersPV");
  filter.SetRoot(std::move(index));
  EXPECT_EQ(Select(u"Customer").size(), 6u);  // no sub-filter: no condition

  orders.SetSubFilter(std::make_unique<TKRFieldFilterNode>(filter));
  auto& quantity = static_cast<TKRFieldFilterNode&>(*orders.SubFilter());
  quantity.SetFieldType(KS_TYPE_INTEGER);
  quantity.SetFieldName("quantity");
  quantity.SetOperator(krapicoGreaterOrEqual);
  quantity.SetFieldValue(4);
  EXPECT_EQ(Select(u"Customer"), (Names{"Costa Ltd", "Dubois SA", "Fontana Srl"}));

  orders.SetMode(1);
  quantity.SetFieldValue(2);
  EXPECT_EQ(Select(u"Customer"), (Names{"Berg & Söhne", "Dubois SA", "Fontana Srl"}));
}

TEST_F(FilterConditionTest, DatesAndDurationsCompareAsTheAPIKeepsThem) {
  FilterOn(u"Customer");
  // The customers since at most 135 days before 1 January 2026.
  Add(krloAnd, "since", krapicoGreaterOrEqual, OleVariant::FromDate(46023.0 - 135));
  EXPECT_EQ(Select(u"Customer"), (Names{"Ackermann GmbH"}));

  FilterOn(u"Supplier");
  TKRFieldFilterNode& leadTime = Add(krloAnd, "leadTime", krapicoLess, 7 * 86400);
  EXPECT_EQ(Select(u"Supplier"), (Names{"Alpine Metals"}));
  leadTime.SetOperator(krapicoEqual);
  leadTime.SetFieldValue(kKRNullDuration);  // the null node finds the nulls
  EXPECT_TRUE(leadTime.IsNull());
  EXPECT_EQ(Select(u"Supplier"), Names{});
}

}  // namespace
