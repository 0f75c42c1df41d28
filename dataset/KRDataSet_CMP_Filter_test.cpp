#include "dataset/KRDataSet_CMP_Filter.h"

#include <gtest/gtest.h>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_TestSupport_test.h"
#include "objectmodel/KRDateConversion_UNT.h"

using namespace kr_dataset_test;

namespace {

class FilterTest : public ::testing::Test {
 protected:
  FilterTest() { table.AddSalesFields(); }

  // Adds a field node on `name` with `value`.
  TKRFieldFilterNode& AddField(TKRLogicalOperator op, const std::string& name,
                               const OleVariant& value,
                               TKRAPIConditionOperator compare = krapicoEqual) {
    TKRFieldFilterNode& node = filter.Add(op);
    node.SetFieldName(name);
    node.SetOperator(compare);
    node.SetFieldValue(value);
    return node;
  }

  void TearDown() override {
    EXPECT_EQ(api.LiveCount(), 0u);
    EXPECT_EQ(api.UnknownReleases(), 0);
  }

  // The text of the filter's condition; every handle is released after.
  std::string ConditionText() {
    const TKRAPICondition condition = filter.GetAsAPICondition();
    return condition.IsEmpty() ? "<none>" : api.Text(condition.Get());
  }

  TConditionAPI api;
  TTestTable table;
  TKRFilter& filter = table.Filter();
};

TEST_F(FilterTest, AddMakesTheNewFieldTheRootThenTheRightOfANewLogicalRoot) {
  EXPECT_TRUE(filter.IsEmpty());
  EXPECT_EQ(ConditionText(), "<none>");
  TKRFieldFilterNode& f1 = AddField(krloOr, "rating", 1);
  EXPECT_EQ(filter.Root(), &f1);
  TKRFieldFilterNode& f2 = AddField(krloAnd, "rating", 2, krapicoGreater);
  TKRFieldFilterNode& f3 = AddField(krloOr, "name", u"x");

  auto* root = dynamic_cast<TKRLogicalFilterNode*>(filter.Root());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Operator(), krloOr);
  EXPECT_EQ(root->Right(), &f3);
  auto* left = dynamic_cast<TKRLogicalFilterNode*>(root->Left());
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Operator(), krloAnd);
  EXPECT_EQ(left->Left(), &f1);
  EXPECT_EQ(left->Right(), &f2);
  EXPECT_EQ(f3.Parent(), root);
  EXPECT_EQ(f1.Parent(), left);

  EXPECT_EQ(ConditionText(), "((rating = 1 AND rating > 2) OR name = /[xX]/)");
  filter.Clear();
  EXPECT_TRUE(filter.IsEmpty());
}

TEST_F(FilterTest, NodesMoveBetweenPlacesOfTheirOwnFilterOnly) {
  TKRFieldFilterNode& f1 = AddField(krloAnd, "rating", 1);
  TKRFieldFilterNode& f2 = AddField(krloAnd, "rating", 2);
  auto& root = static_cast<TKRLogicalFilterNode&>(*filter.Root());

  // Wrap f2 in an index node: f2 becomes its sub-filter.
  auto index = std::make_unique<TKRIndexFilterNode>(filter);
  TKRIndexFilterNode& indexNode = *index;
  indexNode.SetIndexName("ordersPV");
  std::unique_ptr<TKRFilterNode> old = root.ReplaceChild(f2, std::move(index));
  EXPECT_EQ(old.get(), &f2);
  EXPECT_EQ(f2.Parent(), nullptr);
  indexNode.SetSubFilter(std::move(old));
  EXPECT_EQ(f2.Parent(), &indexNode);
  EXPECT_EQ(ConditionText(), "(rating = 1 AND ordersPV ANY (rating = 2))");

  // A node is never placed below itself, nor in another filter.
  std::unique_ptr<TKRFilterNode> detachedRoot = root.Detach();
  EXPECT_TRUE(filter.IsEmpty());
  EXPECT_THROW(indexNode.SetSubFilter(std::move(detachedRoot)), EKRDatabaseError);
  TKRFilter other(nullptr);
  EXPECT_THROW(other.SetRoot(std::move(detachedRoot)), EKRDatabaseError);
  EXPECT_THROW(root.ReplaceChild(f2, nullptr), EKRDatabaseError);  // not its child
  EXPECT_THROW(std::unique_ptr<TKRFilterNode> again = root.Detach(), EKRDatabaseError);
  filter.SetRoot(std::move(detachedRoot));
  EXPECT_EQ(filter.Root(), &root);

  // Deleting a node empties its place; a logical node with one child gives
  // no condition.
  filter.DeleteNode(f1);
  EXPECT_EQ(root.Left(), nullptr);
  EXPECT_EQ(ConditionText(), "<none>");
  filter.DeleteNode(root);
  EXPECT_TRUE(filter.IsEmpty());
}

TEST_F(FilterTest, IndexNodesAndChildrenWithoutConditions) {
  auto index = std::make_unique<TKRIndexFilterNode>(filter);
  TKRIndexFilterNode& indexNode = *index;
  indexNode.SetIndexName("ordersPV");
  filter.SetRoot(std::move(index));
  EXPECT_EQ(ConditionText(), "<none>");  // no sub-filter

  // The sub-filter names a field of the linked class, which the table does
  // not describe: its type is set, not looked up.
  indexNode.SetSubFilter(std::make_unique<TKRFieldFilterNode>(filter));
  auto& sub = static_cast<TKRFieldFilterNode&>(*indexNode.SubFilter());
  sub.SetFieldType(KS_TYPE_INTEGER);
  sub.SetFieldName("quantity");
  EXPECT_EQ(sub.FieldType(), KS_TYPE_INTEGER);
  sub.SetOperator(krapicoGreaterOrEqual);
  sub.SetFieldValue(4);
  indexNode.SetMode(1);
  EXPECT_EQ(ConditionText(), "ordersPV ALL (quantity >= 4)");

  // Joined with a node that gives none, the other one's condition stands.
  auto logical = std::make_unique<TKRLogicalFilterNode>(filter, krloOr);
  auto emptyIndex = std::make_unique<TKRIndexFilterNode>(filter);
  emptyIndex->SetIndexName("invoicesPV");
  logical->SetLeft(std::move(emptyIndex));
  logical->SetRight(filter.Root()->Detach());
  filter.SetRoot(std::move(logical));
  EXPECT_EQ(ConditionText(), "ordersPV ALL (quantity >= 4)");
}

TEST_F(FilterTest, ConditionsTheAPIRefusesRaiseAndLeaveNoHandle) {
  // A field node without a name.
  TKRFieldFilterNode& named = AddField(krloAnd, "rating", 1);
  TKRFieldFilterNode& unnamed = filter.Add(krloAnd);
  unnamed.SetFieldType(KS_TYPE_INTEGER);
  unnamed.SetFieldValue(3);
  EXPECT_THROW(filter.GetAsAPICondition(), EKRDatabaseError);
  EXPECT_EQ(api.LiveCount(), 0u);

  // A join the library refuses releases both parts.
  unnamed.SetFieldName("rating");
  api.On<TKRAPIFunction::KSMakeANDConditions>([](KSHandle, KSHandle) { return KSHandle(0); });
  EXPECT_THROW(filter.GetAsAPICondition(), EKRDatabaseError);
  EXPECT_EQ(api.LiveCount(), 0u);

  // An index node without a name releases its sub-filter's condition.
  auto index = std::make_unique<TKRIndexFilterNode>(filter);
  index->SetSubFilter(named.Detach());
  filter.SetRoot(std::move(index));
  EXPECT_THROW(filter.GetAsAPICondition(), EKRDatabaseError);
  EXPECT_EQ(api.LiveCount(), 0u);
}

TEST_F(FilterTest, TypesComeFromTheTablesDescriptions) {
  TKRFieldFilterNode& node = filter.Add(krloAnd);
  node.SetFieldName("leadTime");
  EXPECT_EQ(node.FieldType(), KS_TYPE_DURATION);
  node.SetFieldName("id");
  EXPECT_EQ(node.FieldType(), KS_TYPE_ID);
  node.SetFieldName("Count()");
  EXPECT_EQ(node.FieldType(), KS_TYPE_UNSIGNED2);
  node.SetFieldValue(2);
  EXPECT_THROW(node.SetFieldName("nonsense"), EKRDatabaseError);
  EXPECT_EQ(node.FieldName(), "Count()");
  EXPECT_EQ(node.GetFieldValue().AsInteger(), 2);
  // A new type clears the value.
  node.SetFieldName("rating");
  EXPECT_TRUE(node.IsNull());

  TKRFilter loose(nullptr);
  TKRFieldFilterNode& untyped = loose.Add(krloAnd);
  untyped.SetFieldType(KS_TYPE_FLOAT);
  untyped.SetFieldName("anything");
  EXPECT_EQ(untyped.FieldType(), KS_TYPE_FLOAT);
}

TEST_F(FilterTest, EachTypeKeepsItsValueAndItsNull) {
  struct TCase {
    const char* field;
    OleVariant nullValue;
    OleVariant value;
  };
  const TCase cases[] = {
      {"supplierP", OleVariant(-1), OleVariant(12)},
      {"id", OleVariant(-1), OleVariant(0)},
      {"rating", OleVariant(0), OleVariant(3)},
      {"Count()", OleVariant(0), OleVariant(1)},
      {"leadTime", OleVariant(2147483647), OleVariant(5)},
      {"price", OleVariant(0.0), OleVariant(12.5)},
      {"since", OleVariant::FromDate(0.0), OleVariant::FromDate(46023.5)},
      {"name", OleVariant(u""), OleVariant(u"Berg")},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.field);
    TKRFieldFilterNode& node = filter.Add(krloAnd);
    node.SetFieldName(c.field);
    node.SetFieldValue(c.nullValue);
    EXPECT_TRUE(node.IsNull());
    EXPECT_TRUE(node.GetFieldValue().IsNull());
    node.SetFieldValue(c.value);
    EXPECT_FALSE(node.IsNull());
    EXPECT_EQ(node.GetFieldValue().AsString(), c.value.AsString());
    node.SetFieldValue(OleVariant());
    EXPECT_TRUE(node.IsNull());
  }

  // A boolean is never null: false is a value.
  TKRFieldFilterNode& paid = filter.Add(krloAnd);
  paid.SetFieldName("paid");
  paid.SetFieldValue(false);
  EXPECT_FALSE(paid.IsNull());
  EXPECT_EQ(paid.GetAPIFieldValue().value.asBoolean, krapiFalse);
  paid.SetFieldValue(true);
  EXPECT_EQ(paid.GetAPIFieldValue().value.asBoolean, krapiTrue);

  // A date-time is kept as its UTC stamp, and the null node holds the null value.
  TKRFieldFilterNode& since = filter.Add(krloAnd);
  since.SetFieldName("since");
  since.SetFieldValue(OleVariant::FromDate(46023.5));
  EXPECT_EQ(since.GetAPIFieldValue().value.asStamp, ConvertDateTimeToUTC(46023.5));
  TKRFieldFilterNode& leadTime = filter.Add(krloAnd);
  leadTime.SetFieldName("leadTime");
  EXPECT_EQ(leadTime.GetAPIFieldValue().value.asInteger, 2147483647);

  // A type without values keeps none.
  TKRFieldFilterNode& photo = filter.Add(krloAnd);
  photo.SetFieldName("photo");
  photo.SetFieldValue(u"bytes");
  EXPECT_TRUE(photo.IsNull());
}

TEST_F(FilterTest, AValueThatDoesNotConvertLeavesTheNodeAsItWas) {
  TKRFieldFilterNode& node = filter.Add(krloAnd);
  node.SetFieldName("rating");
  node.SetFieldValue(2);
  EXPECT_THROW(node.SetFieldValue(u"two"), EVariantError);
  EXPECT_EQ(node.GetFieldValue().AsInteger(), 2);
  EXPECT_THROW(node.SetOperator(TKRAPIConditionOperator(6)), EKRDatabaseError);
  EXPECT_EQ(node.Operator(), krapicoEqual);
}

TEST_F(FilterTest, TextsArePatternsLiteralsOrFieldNames) {
  TKRFieldFilterNode& node = AddField(krloAnd, "name", u"berg*");
  EXPECT_EQ(node.EnteredText(), u"berg*");
  EXPECT_EQ(node.GetFieldValue().AsString(), u"berg*");
  EXPECT_EQ(ConvertAPIStringToWideString(node.GetAPIFieldValue().value.asString),
            u"[bB][eE][rR][gG].*");
  EXPECT_EQ(ConditionText(), "name = /[bB][eE][rR][gG].*/");

  node.SetLiteral(true);  // the entered text is stored again, as it is
  EXPECT_EQ(ConditionText(), "name = 'berg*'");

  node.SetCompareWithField(true);
  EXPECT_EQ(node.FieldType(), KS_TYPE_STRING);
  EXPECT_TRUE(node.IsNull());  // the table has no field "berg*"
  EXPECT_EQ(node.EnteredText(), u"berg*");
  node.SetFieldValue(u"city");
  EXPECT_EQ(node.ComparedFieldName(), u"city");
  EXPECT_EQ(node.GetFieldValue().AsString(), u"city");
  EXPECT_EQ(ConditionText(), "name = [city]");
  node.SetFieldName("city");
  EXPECT_EQ(node.FieldType(), KS_TYPE_STRING);
  EXPECT_TRUE(node.CompareWithField());

  // Another type ends the comparison with a field.
  node.SetFieldType(KS_TYPE_INTEGER);
  EXPECT_FALSE(node.CompareWithField());

  // A null text finds the nulls: it is a value, not an expression.
  TKRFieldFilterNode& empty = filter.Add(krloAnd);
  empty.SetFieldName("name");
  empty.SetFieldValue(u"");
  EXPECT_EQ(empty.CompareAgainst(), krapicmpaValue);
}

TEST_F(FilterTest, LiteralTextsMatchWholeValuesOrTheirStartWithOrWithoutCase) {
  TKRFieldFilterNode& node = filter.Add(krloAnd);
  node.SetFieldName("name");
  node.SetLiteral(true);
  node.SetFieldValue(u"B*g");
  EXPECT_EQ(ConditionText(), "name = 'B*g'");
  node.SetIgnoreCase(true);
  EXPECT_EQ(ConditionText(), "name = /\\A[bB]\\*[gG]\\z/");
  node.SetMatchStart(true);
  EXPECT_EQ(ConditionText(), "name = /\\A[bB]\\*[gG]/");
  node.SetIgnoreCase(false);
  EXPECT_EQ(ConditionText(), "name = /\\AB\\*g/");
  EXPECT_EQ(node.GetFieldValue().AsString(), u"B*g");

  // The empty start is the start of every value; the empty whole value
  // finds the nulls again once the start no longer counts.
  node.SetFieldValue(u"");
  EXPECT_FALSE(node.IsNull());
  EXPECT_EQ(ConditionText(), "name = /\\A/");
  node.SetMatchStart(false);
  EXPECT_TRUE(node.IsNull());
  EXPECT_EQ(node.CompareAgainst(), krapicmpaValue);

  // A pattern node keeps its own conversion whatever the flags say.
  node.SetIgnoreCase(true);
  node.SetLiteral(false);
  node.SetFieldValue(u"b?");
  EXPECT_EQ(ConditionText(), "name = /[bB]./");

  TTestTable other;
  other.Filter().Assign(filter);
  EXPECT_TRUE(other.Filter().Equals(filter));
  node.SetMatchStart(true);
  EXPECT_FALSE(other.Filter().Equals(filter));
}

TEST_F(FilterTest, AssignCopiesTheTreeAndEqualsComparesIt) {
  AddField(krloAnd, "name", u"b?rg");
  AddField(krloOr, "rating", 2, krapicoNotEqual);
  auto index = std::make_unique<TKRIndexFilterNode>(filter);
  index->SetIndexName("ordersPV");
  index->SetMode(1);
  auto logical = std::make_unique<TKRLogicalFilterNode>(filter, krloAnd);
  logical->SetLeft(filter.Root()->Detach());
  logical->SetRight(std::move(index));
  filter.SetRoot(std::move(logical));

  TTestTable other;
  TKRFilter& copy = other.Filter();
  EXPECT_FALSE(copy.Equals(filter));
  copy.Assign(filter);
  EXPECT_TRUE(copy.Equals(filter));
  EXPECT_TRUE(filter.Equals(copy));
  EXPECT_EQ(&copy.Root()->Filter(), &copy);
  const std::string expected = ConditionText();
  {
    const TKRAPICondition copied = copy.GetAsAPICondition();
    EXPECT_EQ(api.Text(copied.Get()), expected);
  }

  // A change anywhere in the copy is a difference, and leaves the source alone.
  auto& root = static_cast<TKRLogicalFilterNode&>(*copy.Root());
  static_cast<TKRIndexFilterNode&>(*root.Right()).SetMode(0);
  EXPECT_FALSE(copy.Equals(filter));
  EXPECT_EQ(ConditionText(), expected);
  copy.Assign(filter);
  auto leftOf = [](TKRFilterNode* node) {
    return static_cast<TKRLogicalFilterNode*>(node)->Left();
  };
  static_cast<TKRFieldFilterNode*>(leftOf(leftOf(copy.Root())))->SetLiteral(true);
  EXPECT_FALSE(copy.Equals(filter));

  copy.Assign(TKRFilter(nullptr));
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_TRUE(copy.Equals(TKRFilter(nullptr)));
  EXPECT_THROW(copy.Assign(table.SortFields()), EConvertError);
}

}  // namespace
