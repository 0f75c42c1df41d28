#include "dataset/KRDataSet_CMP_FilterStream.h"

#include <gtest/gtest.h>

#include <functional>

#include "dataset/KRDataSet_CMP_TestSupport_test.h"
#include "platform/vcl/Streams.h"

using namespace kr_dataset_test;

namespace {

// A stream of the table "Table" whose only property is "Filter.Nodes",
// written by `writeNodes`.
std::vector<uint8_t> StreamWithNodes(const std::function<void(TWriter&)>& writeNodes) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteSignature();
  writer.WriteStr("TTestTable");
  writer.WriteStr("Table");
  writer.WriteStr("Filter.Nodes");
  writeNodes(writer);
  writer.WriteListEnd();  // the properties
  writer.WriteListEnd();  // the children
  return stream.Bytes();
}

// One field node "rating" = 2 with `op` as its operator.
void WriteRatingNode(TWriter& writer, int op) {
  writer.WriteListBegin();
  writer.WriteBoolean(true);
  writer.WriteBoolean(true);
  writer.WriteBoolean(false);
  writer.WriteString("rating");
  writer.WriteInteger(op);
  writer.WriteBoolean(false);
  writer.WriteInteger(KS_TYPE_ENUMERATED);
  writer.WriteInteger(2);
  writer.WriteListEnd();
}

// `depth` logical nodes, each the left child of the one above, around one
// field node.
void WriteNested(TWriter& writer, int depth) {
  if (depth == 0) return WriteRatingNode(writer, krapicoEqual);
  writer.WriteListBegin();
  writer.WriteBoolean(true);
  writer.WriteBoolean(false);
  writer.WriteBoolean(false);
  writer.WriteInteger(krloAnd);
  WriteNested(writer, depth - 1);
  writer.WriteListBegin();
  writer.WriteBoolean(false);
  writer.WriteListEnd();
  writer.WriteListEnd();
}

class FilterStreamTest : public ::testing::Test {
 protected:
  FilterStreamTest() {
    source.SetName("Table");
    source.AddSalesFields();
  }

  TKRFieldFilterNode& Add(TKRLogicalOperator op, const std::string& name, const OleVariant& value) {
    TKRFieldFilterNode& node = source.Filter().Add(op);
    node.SetFieldName(name);
    node.SetFieldValue(value);
    return node;
  }

  // Reads `bytes` into `target`, which must refuse them and keep its filter.
  void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& message) {
    TTestTable target;
    TKRFieldFilterNode& kept = target.Filter().Add(krloAnd);
    kept.SetFieldType(KS_TYPE_INTEGER);
    kept.SetFieldValue(1);
    try {
      ReadTable(bytes, target);
      ADD_FAILURE() << "the stream was read";
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find(message), std::string::npos) << e.Message();
    }
    EXPECT_EQ(target.Filter().Root(), &kept);
  }

  TTestTable source;
};

TEST_F(FilterStreamTest, AFilterReadBackIsTheFilterWritten) {
  TKRFieldFilterNode& name = Add(krloAnd, "name", u"a.b?");
  Add(krloAnd, "leadTime", 5);
  Add(krloOr, "rating", OleVariant::Null());
  Add(krloAnd, "paid", false);
  Add(krloAnd, "since", OleVariant::FromDate(46023.75));
  Add(krloAnd, "price", 12.5);
  Add(krloOr, "supplierP", 7);
  Add(krloOr, "photo", OleVariant::Null());
  auto index = std::make_unique<TKRIndexFilterNode>(source.Filter());
  index->SetIndexName("ordersPV");
  index->SetMode(1);
  index->SetSubFilter(std::make_unique<TKRFieldFilterNode>(source.Filter()));
  auto& quantity = static_cast<TKRFieldFilterNode&>(*index->SubFilter());
  quantity.SetFieldType(KS_TYPE_INTEGER);
  quantity.SetFieldName("quantity");
  quantity.SetOperator(krapicoGreaterOrEqual);
  quantity.SetFieldValue(4);
  auto root = std::make_unique<TKRLogicalFilterNode>(source.Filter(), krloOr);
  root->SetLeft(source.Filter().Root()->Detach());
  root->SetRight(std::move(index));
  source.Filter().SetRoot(std::move(root));

  // The reading table describes no field: while it is streamed in, the
  // types come from the stream.
  TTestTable copy;
  ReadTable(WriteTable(source), copy);
  EXPECT_TRUE(copy.Filter().Equals(source.Filter()));

  auto* root2 = static_cast<TKRLogicalFilterNode*>(copy.Filter().Root());
  TKRFilterNode* node = root2->Left();
  while (node->Kind() == krfnkLogical) node = static_cast<TKRLogicalFilterNode*>(node)->Left();
  auto& nameCopy = static_cast<TKRFieldFilterNode&>(*node);
  EXPECT_EQ(nameCopy.EnteredText(), u"a.b?");
  EXPECT_EQ(ConvertAPIStringToWideString(nameCopy.GetAPIFieldValue().value.asString),
            u"[aA]\\.[bB].");
  EXPECT_EQ(ConvertAPIStringToWideString(name.GetAPIFieldValue().value.asString),
            u"[aA]\\.[bB].");
}

TEST_F(FilterStreamTest, OnlyAFilterWithNodesWritesThem) {
  const std::vector<uint8_t> empty = WriteTable(source);
  EXPECT_EQ(std::string(empty.begin(), empty.end()).find("Nodes"), std::string::npos);
  Add(krloAnd, "rating", 1);
  const std::vector<uint8_t> written = WriteTable(source);
  EXPECT_NE(std::string(written.begin(), written.end()).find("Filter.Nodes"), std::string::npos);
}

TEST_F(FilterStreamTest, FlagsAreNotKeptSoATextIsAPatternAgain) {
  TKRFieldFilterNode& literal = Add(krloAnd, "name", u"Costa Ltd");
  literal.SetLiteral(true);
  TTestTable copy;
  ReadTable(WriteTable(source), copy);
  auto& read = static_cast<TKRFieldFilterNode&>(*copy.Filter().Root());
  EXPECT_FALSE(read.Literal());
  EXPECT_EQ(read.EnteredText(), u"Costa Ltd");
  EXPECT_EQ(read.CompareAgainst(), krapicmpaRegularExpression);
}

TEST_F(FilterStreamTest, ATypeWithoutValuesReadsAsNull) {
  TTestTable copy;
  ReadTable(StreamWithNodes([](TWriter& writer) {
              writer.WriteListBegin();
              writer.WriteBoolean(true);
              writer.WriteBoolean(true);
              writer.WriteBoolean(false);
              writer.WriteString("photo");
              writer.WriteInteger(krapicoEqual);
              writer.WriteBoolean(false);  // not null, yet no value follows
              writer.WriteInteger(KS_TYPE_BLOB);
              writer.WriteListEnd();
            }),
            copy);
  auto* photo = dynamic_cast<TKRFieldFilterNode*>(copy.Filter().Root());
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->FieldType(), KS_TYPE_BLOB);
  EXPECT_TRUE(photo->IsNull());
}

TEST_F(FilterStreamTest, CorruptedNodesAreRefusedAndTheFilterKept) {
  ExpectRefused(StreamWithNodes([](TWriter& writer) { WriteRatingNode(writer, 9); }),
                "Error reading Table.Filter.Nodes: Invalid filter node: condition operator 9");
  ExpectRefused(StreamWithNodes([](TWriter& writer) {
                  writer.WriteListBegin();
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(false);
                  writer.WriteBoolean(false);
                  writer.WriteInteger(2);
                }),
                "Invalid filter node: logical operator 2");
  ExpectRefused(StreamWithNodes([](TWriter& writer) {
                  writer.WriteListBegin();
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(true);
                  writer.WriteString("ordersPV");
                  writer.WriteInteger(300);
                }),
                "Invalid filter node: index mode 300");
  ExpectRefused(StreamWithNodes([](TWriter& writer) {
                  writer.WriteListBegin();
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(false);
                  writer.WriteBoolean(true);
                }),
                "an index node is a leaf");
  ExpectRefused(StreamWithNodes([](TWriter& writer) {
                  writer.WriteListBegin();
                  writer.WriteString("true");
                }),
                "Invalid property value");
  // A value more than a field node holds before its list ends.
  ExpectRefused(StreamWithNodes([](TWriter& writer) {
                  writer.WriteListBegin();
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(true);
                  writer.WriteBoolean(false);
                  writer.WriteString("rating");
                  writer.WriteInteger(krapicoEqual);
                  writer.WriteBoolean(true);
                  writer.WriteInteger(KS_TYPE_ENUMERATED);
                  writer.WriteInteger(2);  // a null node has no value
                  writer.WriteListEnd();
                }),
                "Error reading Table.Filter.Nodes: Invalid property value");

  Add(krloAnd, "name", u"Berg");
  std::vector<uint8_t> truncated = WriteTable(source);
  truncated.resize(truncated.size() - 8);
  ExpectRefused(truncated, "Error reading Table.Filter.Nodes");
}

TEST_F(FilterStreamTest, NestingIsReadUpToItsLimit) {
  TTestTable deep;
  ReadTable(StreamWithNodes([](TWriter& writer) { WriteNested(writer, kMaxFilterNodeDepth - 1); }),
            deep);
  int depth = 1;
  for (TKRFilterNode* node = deep.Filter().Root(); node->Kind() == krfnkLogical;
       node = static_cast<TKRLogicalFilterNode*>(node)->Left()) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxFilterNodeDepth);
  ExpectRefused(StreamWithNodes([](TWriter& writer) { WriteNested(writer, kMaxFilterNodeDepth); }),
                "nested deeper than 1000 levels");
}

}  // namespace
