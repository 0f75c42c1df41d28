// Field definitions made from the demo server's class descriptions.
#include <gtest/gtest.h>

#include <optional>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_FieldDefsBuilder.h"
#include "dataset/KRDataSet_CMP_StringField.h"
#include "dataset/KRDataSet_CMP_DemoSession_test.h"
#include "platform/vcl/NumericFields.h"

using kr_dataset_test::TDemoSessionTest;

namespace {

class FieldDefsBuilderTest : public TDemoSessionTest {
 protected:
  TKRFieldDefsBuilder Builder(const std::u16string& className, const std::string& tableName) {
    return TKRFieldDefsBuilder(FDefs, *FTree->session.Get(), FTree->session->GetClassID(className),
                               tableName);
  }
  TKRFieldDef& Def(const char* name) { return static_cast<TKRFieldDef&>(FDefs.Find(name)); }

  TFieldDefs FDefs{nullptr};
};

TEST_F(FieldDefsBuilderTest, ClassFieldsBecomeDefinitionsAfterTheIdentifier) {
  TKRFieldDefsBuilder builder = Builder(u"Order", "Order");
  builder.Build({});
  // id, number, date, customerP, productP, quantity, note
  ASSERT_EQ(FDefs.Count(), 7);
  EXPECT_EQ(FDefs[0].Name(), "id");
  EXPECT_EQ(Def("id").DataType(), ftInteger);
  EXPECT_TRUE(Def("id").NoDescription());
  EXPECT_EQ(Def("number").DataType(), ftInteger);
  EXPECT_TRUE(Def("number").Required());
  EXPECT_EQ(Def("date").DataType(), ftDateTime);
  EXPECT_EQ(Def("customerP").APIFieldType(), KS_TYPE_REFERENCE);
  EXPECT_EQ(Def("note").DataType(), ftMemo);
  EXPECT_TRUE(Def("note").GetReadOnly(false));
  EXPECT_FALSE(Def("note").GetReadOnly(true));
  // id and five 4- or 8-byte fields, each with its presence byte; no memo.
  EXPECT_EQ(builder.RecordDataSize(), 5 + 5 + 9 + 5 + 5 + 5);

  // Link indexes are not fields; inherited fields are.
  TKRFieldDefsBuilder customers = Builder(u"Customer", "Customer");
  customers.Build({});
  EXPECT_EQ(FDefs.IndexOf("ordersPV"), -1);
  EXPECT_EQ(Def("name").Size(), 60);
  EXPECT_EQ(Def("rating").ValueListID(), 1);
  EXPECT_EQ(Def("creditLimit").DataType(), ftCurrency);
}

TEST_F(FieldDefsBuilderTest, PersistentFieldsAreDefinedOneByOne) {
  TIntegerField number(nullptr);
  number.SetFieldName("number");
  TKRStringField legacy(nullptr);
  legacy.SetFieldName("legacy");
  legacy.SetSize(8);
  TKRStringField city(nullptr);
  city.SetFieldName("customerP.city");

  TKRFieldDefsBuilder builder = Builder(u"Order", "Order");
  builder.Build({&number, &legacy, &city});
  ASSERT_EQ(FDefs.Count(), 3);
  EXPECT_EQ(Def("number").APIFieldType(), KS_TYPE_INTEGER);
  // Not described: keeps its type, invisible, no API type.
  EXPECT_EQ(Def("legacy").DataType(), ftString);
  EXPECT_EQ(Def("legacy").Size(), 8);
  EXPECT_EQ(Def("legacy").Description(), kKRUndescribedField);
  EXPECT_FALSE(Def("legacy").GetVisible(true));
  EXPECT_EQ(Def("customerP.city").Size(), 40);
  EXPECT_TRUE(Def("customerP.city").GetVirtualField());
}

TEST_F(FieldDefsBuilderTest, UnknownClassesAndFieldsAreReported) {
  TKRFieldDefsBuilder none = Builder(u"NoSuchClass", "NoSuchClass");
  none.Build({});
  EXPECT_EQ(FDefs.Count(), 0);

  TKRFieldDefsBuilder order = Builder(u"Order", "Order");
  try {
    order.GetFieldDescription("nothing", false);
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Unknown field 'nothing'");
  }
  EXPECT_EQ(order.GetFieldDescription("id", false), kKRIdentifierField);

  TKRFieldDefsBuilder stale(FDefs, *FTree->session.Get(), 987654, "Gone");
  try {
    stale.Build({});
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Invalid table name 'Gone'");
  }
}

}  // namespace
