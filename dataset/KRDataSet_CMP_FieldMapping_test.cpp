#include "dataset/KRDataSet_CMP_FieldMapping.h"

#include <gtest/gtest.h>

#include <memory>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_ScriptedTable_test.h"
#include "dataset/KRDataSet_CMP_StringField.h"
#include "platform/vcl/NumericFields.h"

namespace {

// A description readable and writable in the actual plan, read-only in others.
KSFieldDescription Describe(const char16_t* name, int32_t type, int32_t length = 0) {
  KSFieldDescription description = kr_dataset_test::Description(name, type, length);
  description.versionAccess = KS_ACCESS_READ_ONLY;
  return description;
}

TEST(FieldMapping, VirtualNamesAreDottedPathsAfterAnyQualifier) {
  EXPECT_FALSE(KRIsVirtualFieldName(""));
  EXPECT_FALSE(KRIsVirtualFieldName("name"));
  EXPECT_TRUE(KRIsVirtualFieldName("customerP.name"));
  EXPECT_FALSE(KRIsVirtualFieldName("[Order].name"));
  EXPECT_TRUE(KRIsVirtualFieldName("[Order].customerP.name"));
  EXPECT_TRUE(KRIsVirtualFieldName("[A].[B].x.y"));
  EXPECT_FALSE(KRIsVirtualFieldName("[A].[B].x"));
  // Without "]." the qualifier never ends, so nothing follows it.
  EXPECT_FALSE(KRIsVirtualFieldName("[Order.name"));
  EXPECT_FALSE(KRIsVirtualFieldName("[Order]"));
}

TEST(FieldMapping, ApiTypesGiveTheirDataTypesAndSizes) {
  struct Case {
    int32_t type;
    int32_t length;
    TFieldType dataType;
    int32_t size;
  };
  const Case cases[] = {
      {KS_TYPE_BOOLEAN, 0, ftBoolean, 4},   {KS_TYPE_INTEGER, 0, ftInteger, 4},
      {KS_TYPE_DURATION, 0, ftInteger, 4},  {KS_TYPE_UNSIGNED, 0, ftInteger, 4},
      {KS_TYPE_UNSIGNED2, 0, ftInteger, 4}, {KS_TYPE_ENUMERATED, 0, ftInteger, 4},
      {KS_TYPE_REFERENCE, 0, ftInteger, 4}, {KS_TYPE_FLOAT, 0, ftFloat, 8},
      {KS_TYPE_DATETIME, 0, ftDateTime, 8}, {KS_TYPE_STRING, 30, ftString, 30},
      {KS_TYPE_STRING, 0, ftMemo, 0},       {KS_TYPE_CURRENCY, 0, ftCurrency, 8},
      {KS_TYPE_BLOB, 0, ftBlob, 0},
  };
  for (const Case& c : cases) {
    const KSFieldDescription description = Describe(u"f", c.type, c.length);
    const auto shape = KRFieldShapeOf(&description);
    ASSERT_TRUE(shape.has_value()) << c.type;
    EXPECT_EQ(shape->DataType, c.dataType) << c.type;
    EXPECT_EQ(shape->Size, c.size) << c.type;
  }
  EXPECT_EQ(KRFieldShapeOf(kKRIdentifierField)->DataType, ftInteger);
  EXPECT_EQ(KRFieldShapeOf(kKRCountField)->Size, 4);

  for (int32_t type : {KS_TYPE_ID, KS_TYPE_LINKS}) {
    const KSFieldDescription description = Describe(u"f", type);
    EXPECT_FALSE(KRFieldShapeOf(&description).has_value()) << type;
  }
  for (int32_t type : {0, 12, 13, 17, -5}) {
    const KSFieldDescription description = Describe(u"f", type);
    try {
      KRFieldShapeOf(&description);
      ADD_FAILURE() << type;
    } catch (const EKRDatabaseError& error) {
      EXPECT_EQ(error.Message(), "Unsupported field type");
    }
  }
}

TEST(FieldMapping, DefinitionsAreLaidOutOneAfterAnother) {
  TFieldDefs defs(nullptr);
  int32_t size = 0;
  TKRFieldDef* id = KRAddFieldDef(defs, size, "id", {kKRIdentifierField});
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->BufferOffset(), 1);
  EXPECT_EQ(size, 5);  // the presence byte and the 4-byte record ID

  const KSFieldDescription name = Describe(u"name", KS_TYPE_STRING, 10);
  TKRFieldDef* text = KRAddFieldDef(defs, size, "name", {&name});
  EXPECT_EQ(text->BufferOffset(), 6);
  EXPECT_EQ(text->Size(), 10);
  EXPECT_EQ(size, 5 + 23);  // the presence byte, two bytes a character and the terminator

  const KSFieldDescription memo = Describe(u"notes", KS_TYPE_STRING, 0);
  TKRFieldDef* notes = KRAddFieldDef(defs, size, "notes", {&memo});
  EXPECT_EQ(notes->DataType(), ftMemo);
  EXPECT_EQ(notes->BufferOffset(), 0);
  EXPECT_EQ(size, 28);

  const KSFieldDescription amount = Describe(u"amount", KS_TYPE_FLOAT);
  TKRFieldDef* value = KRAddFieldDef(defs, size, "amount", {&amount});
  EXPECT_EQ(value->BufferOffset(), 29);
  EXPECT_EQ(value->Size(), 0);  // only strings keep their size
  EXPECT_EQ(value->FieldNo(), 4);
  EXPECT_EQ(size, 37);

  const KSFieldDescription link = Describe(u"ordersPV", KS_TYPE_LINKS);
  EXPECT_EQ(KRAddFieldDef(defs, size, "ordersPV", {&link}), nullptr);
  EXPECT_EQ(defs.Count(), 4);

  // A refused name leaves the layout as it was.
  EXPECT_THROW(KRAddFieldDef(defs, size, "amount", {&amount}), EDatabaseError);
  EXPECT_EQ(size, 37);
  EXPECT_EQ(defs.Count(), 4);
}

TEST(FieldMapping, DefinitionsCarryTheApiSide) {
  TFieldDefs defs(nullptr);
  int32_t size = 0;
  TKRFieldDef& id = *KRAddFieldDef(defs, size, "id", {kKRIdentifierField});
  EXPECT_TRUE(id.NoDescription());
  EXPECT_EQ(id.APIFieldType(), KS_TYPE_ID);
  EXPECT_TRUE(id.GetReadOnly(true));

  TKRFieldDef& count = *KRAddFieldDef(defs, size, "linesPV.Count()", {kKRCountField});
  EXPECT_EQ(count.APIFieldType(), KS_TYPE_UNSIGNED2);
  EXPECT_FALSE(count.NoDescription());

  KSFieldDescription state = Describe(u"state", KS_TYPE_ENUMERATED);
  state.valueListID = 7;
  state.required = 1;
  TKRFieldDef& enumerated = *KRAddFieldDef(defs, size, "state", {&state});
  EXPECT_EQ(enumerated.ValueListID(), 7);
  EXPECT_TRUE(enumerated.Required());
  EXPECT_FALSE(enumerated.GetReadOnly(true));
  EXPECT_TRUE(enumerated.GetReadOnly(false));
  EXPECT_TRUE(enumerated.GetVisible(false));

  // A path through a reference is read-only and never required.
  KSFieldDescription city = Describe(u"city", KS_TYPE_STRING, 20);
  city.required = 1;
  TKRFieldDef& indirect = *KRAddFieldDef(defs, size, "customerP.city", {&city});
  EXPECT_FALSE(indirect.Required());
  EXPECT_TRUE(indirect.GetReadOnly(true));

  // Only enumerated fields keep a value list.
  KSFieldDescription amount = Describe(u"amount", KS_TYPE_INTEGER);
  amount.valueListID = 3;
  amount.actualAccess = KS_ACCESS_INVISIBLE;
  TKRFieldDef& hidden = *KRAddFieldDef(defs, size, "amount", {&amount});
  EXPECT_EQ(hidden.ValueListID(), 0);
  EXPECT_FALSE(hidden.GetVisible(true));
}

TEST(FieldMapping, DescriptionsAreKeptAsCopies) {
  TFieldDefs defs(nullptr);
  int32_t size = 0;
  auto description = std::make_unique<KSFieldDescription>(Describe(u"name", KS_TYPE_STRING, 5));
  std::u16string owner = u"Customer";
  description->ownerClass = owner.c_str();
  TKRFieldDef& def = *KRAddFieldDef(defs, size, "name", {description.get()});
  description.reset();
  owner.assign(u"gone");
  ASSERT_NE(def.Description(), nullptr);
  EXPECT_EQ(std::u16string(def.Description()->name), u"name");
  EXPECT_EQ(std::u16string(def.Description()->ownerClass), u"Customer");
  EXPECT_EQ(def.Description()->referencedClass, nullptr);

  // A copied definition points to its own copy.
  TFieldDefs other(nullptr);
  auto copy = std::make_unique<TKRFieldDef>();
  copy->Assign(def);
  TKRFieldDef& kept = other.AddFieldDef(std::move(copy));
  EXPECT_NE(kept.Description(), def.Description());
  EXPECT_EQ(kept.Description()->length, 5);
  EXPECT_EQ(kept.APIFieldType(), KS_TYPE_STRING);
}

TEST(FieldMapping, UndescribedAndUserDefinedFields) {
  TFieldDefs defs(nullptr);
  int32_t size = 0;
  TKRStringField persistent(nullptr);
  persistent.SetSize(12);
  TKRFieldDef& kept = *KRAddFieldDef(defs, size, "legacy", {nullptr, &persistent});
  EXPECT_EQ(kept.DataType(), ftString);
  EXPECT_EQ(kept.Size(), 12);
  EXPECT_EQ(kept.Description(), kKRUndescribedField);
  EXPECT_TRUE(kept.NoDescription());
  EXPECT_EQ(kept.APIFieldType(), KS_TYPE_UNSUPPORTED);
  EXPECT_FALSE(kept.GetVisible(true));
  EXPECT_FALSE(kept.GetVisible(false));
  EXPECT_EQ(size, 27);  // the presence byte, 12 characters and the terminator

  TFloatField number(nullptr);
  EXPECT_EQ(KRAddFieldDef(defs, size, "ratio", {nullptr, &number})->DataType(), ftFloat);

  try {
    KRAddFieldDef(defs, size, "missing", {});
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Unknown field 'missing'");
  }

  TKRFieldDef& udf = *KRAddFieldDef(defs, size, "Colour", {kKRUserDefinedField, nullptr, 40});
  EXPECT_TRUE(udf.UserDefined());
  EXPECT_EQ(udf.DataType(), ftString);
  EXPECT_EQ(udf.Size(), 40);
  EXPECT_EQ(KRAddFieldDef(defs, size, "Remark", {kKRUserDefinedField, nullptr, 0})->DataType(),
            ftMemo);
}

TEST(FieldMapping, StringFieldsHoldWideCharacters) {
  TKRStringField field(nullptr);
  field.SetSize(10);
  EXPECT_EQ(field.DataType(), ftString);
  EXPECT_EQ(field.DataSize(), 22);
}

TEST(FieldMapping, DefinitionsAreFoundByTheirNumber) {
  TFieldDefs defs(nullptr);
  int32_t size = 0;
  KRAddFieldDef(defs, size, "id", {kKRIdentifierField});
  TKRFieldDef* second = KRAddFieldDef(defs, size, "linesPV.Count()", {kKRCountField});
  defs.Add("plain", ftInteger);
  EXPECT_EQ(KRGetFieldDef(defs, 0), nullptr);
  EXPECT_EQ(KRGetFieldDef(defs, -1), nullptr);
  EXPECT_EQ(KRGetFieldDef(defs, 2), second);
  EXPECT_EQ(KRGetFieldDef(defs, 3), nullptr);  // not a table's definition
  try {
    KRGetFieldDef(defs, 4);
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Invalid field number");
  }
  second->SetFieldNo(5);
  try {
    KRGetFieldDef(defs, 2);
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Field does not match definition");
  }
}

TEST(FieldMapping, FieldComponentsAreNamedAfterTableAndPath) {
  EXPECT_EQ(KRFieldComponentName("Orders", "number"), "Ordersnumber");
  EXPECT_EQ(KRFieldComponentName("Orders", "customerP.city"), "OrderscustomerP_city");
  EXPECT_EQ(KRFieldComponentName("T", "[Sub-Class].linesPV.Count()"), "TSubClass_linesPV_Count");
  // A lone parenthesis is kept; only the pair goes.
  EXPECT_EQ(KRFieldComponentName("T", "a(b"), "Ta(b");
  EXPECT_EQ(KRFieldComponentName("", "x"), "x");
}

}  // namespace
