#include "dataset/KRDataSet_CMP_FieldSync.h"

#include <gtest/gtest.h>

#include "dataset/KRDataSet_CMP_FieldMapping.h"
#include "dataset/KRDataSet_CMP_StringField.h"
#include "platform/vcl/NumericFields.h"

namespace {

class FieldSync : public ::testing::Test {
 protected:
  TKRFieldDef& Define(const std::string& name, int32_t type, int32_t length = 0,
                      int32_t access = KS_ACCESS_READ_WRITE, bool required = false) {
    KSFieldDescription description{};
    description.name = u"f";
    description.type = type;
    description.length = length;
    description.actualAccess = access;
    description.versionAccess = KS_ACCESS_READ_ONLY;
    description.required = required ? 1 : 0;
    return *KRAddFieldDef(defs, size, name, {&description});
  }

  TFieldDefs defs{nullptr};
  int32_t size = 0;
};

TEST_F(FieldSync, FieldsTakeLengthRangeAndRequirementFromTheirDefinition) {
  TKRStringField name(nullptr);
  name.SetFieldName("name");
  name.SetSize(10);
  TKRFieldDef& nameDef = Define("name", KS_TYPE_STRING, 30, KS_ACCESS_READ_WRITE, true);
  KRSynchronizeField(name, nameDef, false);
  EXPECT_EQ(name.Size(), 30);
  EXPECT_FALSE(name.Required());
  KRSynchronizeField(name, nameDef, true);
  EXPECT_TRUE(name.Required());

  TIntegerField count(nullptr);
  count.SetFieldName("count");
  KRSynchronizeField(count, Define("count", KS_TYPE_UNSIGNED), false);
  EXPECT_EQ(count.MinValue(), 0);
  EXPECT_EQ(count.MaxValue(), kKRMaxUnsignedValue);
  // A range of the field's own is kept.
  TIntegerField level(nullptr);
  level.SetMaxValue(9);
  KRSynchronizeField(level, Define("level", KS_TYPE_UNSIGNED2), false);
  EXPECT_EQ(level.MaxValue(), 9);
  TIntegerField plain(nullptr);
  KRSynchronizeField(plain, Define("plain", KS_TYPE_INTEGER), false);
  EXPECT_EQ(plain.MaxValue(), 0);

  TKRStringField city(nullptr);
  city.SetFieldName("customerP.city");
  city.SetRequired(true);
  TKRFieldDef& cityDef = Define("customerP.city", KS_TYPE_STRING, 20);
  KRSynchronizeField(city, cityDef, false);
  EXPECT_FALSE(city.Required());
  city.SetRequired(true);
  city.SetReadOnly(true);
  KRSynchronizeField(city, cityDef, false);
  EXPECT_TRUE(city.Required());
}

TEST_F(FieldSync, MemoLengthsAreLeftAlone) {
  TKRStringField text(nullptr);
  text.SetSize(25);
  KRSynchronizeField(text, Define("text", KS_TYPE_STRING, 0), false);
  EXPECT_EQ(text.Size(), 25);
}

TEST_F(FieldSync, DurationTagIsDecimalsWhileOpenAndComesBackOnClose) {
  TKRFieldDef& def = Define("took", KS_TYPE_DURATION);
  TIntegerField took(nullptr);
  took.SetTag(2);
  KRApplyFieldAccess(took, &def, true, false);
  EXPECT_EQ(def.Precision(), 2);
  EXPECT_EQ(took.Tag(), 1);  // visible, writable
  KRRestoreFieldAccess(took, &def);
  EXPECT_EQ(took.Tag(), 2);
  EXPECT_TRUE(took.Visible());
  EXPECT_FALSE(took.ReadOnly());

  // Other fields' tags are only the open-time record.
  TKRFieldDef& other = Define("n", KS_TYPE_INTEGER);
  TIntegerField n(nullptr);
  n.SetTag(5);
  KRApplyFieldAccess(n, &other, true, false);
  EXPECT_EQ(other.Precision(), 0);
  KRRestoreFieldAccess(n, &other);
  EXPECT_EQ(n.Tag(), 0);
}

TEST_F(FieldSync, AccessOfThePlanHidesOrLocksFieldsUntilClose) {
  TIntegerField hidden(nullptr);
  TKRFieldDef& invisible = Define("secret", KS_TYPE_INTEGER, 0, KS_ACCESS_INVISIBLE);
  KRApplyFieldAccess(hidden, &invisible, true, false);
  EXPECT_FALSE(hidden.Visible());
  EXPECT_TRUE(hidden.ReadOnly());
  KRRestoreFieldAccess(hidden, &invisible);
  EXPECT_TRUE(hidden.Visible());
  EXPECT_FALSE(hidden.ReadOnly());

  // Read-only in other plans only.
  TIntegerField locked(nullptr);
  TKRFieldDef& versioned = Define("amount", KS_TYPE_INTEGER);
  KRApplyFieldAccess(locked, &versioned, true, false);
  EXPECT_FALSE(locked.ReadOnly());
  KRRestoreFieldAccess(locked, &versioned);
  KRApplyFieldAccess(locked, &versioned, false, false);
  EXPECT_TRUE(locked.ReadOnly());
  KRRestoreFieldAccess(locked, &versioned);
  EXPECT_FALSE(locked.ReadOnly());

  // At design time nothing but the tag changes; an invisible field that
  // was set read-only by hand stays so after close.
  TIntegerField designed(nullptr);
  designed.SetReadOnly(true);
  KRApplyFieldAccess(designed, &invisible, true, true);
  EXPECT_TRUE(designed.Visible());
  KRRestoreFieldAccess(designed, &invisible);
  EXPECT_TRUE(designed.ReadOnly());
  EXPECT_TRUE(designed.Visible());

  // A writable indirect field is left writable.
  TKRStringField city(nullptr);
  TKRFieldDef& indirect = Define("customerP.city", KS_TYPE_STRING, 20, KS_ACCESS_READ_ONLY);
  KRApplyFieldAccess(city, &indirect, true, false);
  EXPECT_FALSE(city.ReadOnly());
}

}  // namespace
