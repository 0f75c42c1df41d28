#include "objectmodel/KRDataSet_CO_Errors.h"

#include <gtest/gtest.h>

#include "objectmodel/KRAPI_UNT_Fake.h"

namespace {

class DBErrorTest : public ::testing::Test {
 protected:
  TKRFakeAPI api;
};

TEST_F(DBErrorTest, AServerErrorWithoutARecordHasSeverityOneAndNoRecordCode) {
  auto error = MakeComObject<TKRServerDBError>(KSHandle(7), nullptr);
  EXPECT_EQ(error->Get_Severity(), 1);
  EXPECT_EQ(error->Get_ErrorCode(), kKRNoErrorRecord);
  EXPECT_EQ(error->Get_Text(), u"");
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSFormatError), 0);
}

TEST_F(DBErrorTest, AServerErrorTakesCodeSeverityAndFormattedTextFromTheRecord) {
  const KSErrorRecord* seen = nullptr;
  api.On<TKRAPIFunction::KSFormatError>([&](KSHandle, const KSErrorRecord* record, int32_t) {
    seen = record;
    return u"[1038] commit conflict";
  });
  const KSErrorRecord record{12, 1038, -3, 0, 4, 2};
  auto error = MakeComObject<TKRServerDBError>(KSHandle(7), &record);
  EXPECT_EQ(seen, &record);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSFormatError),
            (std::vector<std::string>{"KSFormatError(7, ptr, 1)"}));
  EXPECT_EQ(error->Get_Severity(), -3);
  EXPECT_EQ(error->Get_ErrorCode(), 1038);
  EXPECT_EQ(error->Get_Text(), u"[1038] commit conflict");
}

TEST_F(DBErrorTest, AServerErrorWhoseTextTheLibraryRefusesHasAnEmptyText) {
  const KSErrorRecord record{-1, 1004, 0, 0, -1, -1};
  auto error = MakeComObject<TKRServerDBError>(KSHandle(0), &record);
  EXPECT_EQ(error->Get_Severity(), 0);
  EXPECT_EQ(error->Get_Text(), u"");
}

TEST_F(DBErrorTest, ErrorsAnswerTheirOwnInterfacesOnly) {
  auto server = MakeComObject<TKRServerDBError>(KSHandle(0), nullptr);
  ComPtr<IKRDBError> base;
  EXPECT_EQ(server->QueryInterface(IID_IKRDBError, base.ReleaseAndGetVoidAddress()), S_OK);
  ComPtr<IKRLocalDBError> local;
  EXPECT_EQ(server->QueryInterface(IID_IKRLocalDBError, local.ReleaseAndGetVoidAddress()),
            E_NOINTERFACE);
  auto own = MakeComObject<TKRLocalDBError>(14601, OleVariant(), 2);
  EXPECT_EQ(own->QueryInterface(IID_IKRLocalDBError, local.ReleaseAndGetVoidAddress()), S_OK);
  ComPtr<IKRServerDBError> other;
  EXPECT_EQ(own->QueryInterface(IID_IKRServerDBError, other.ReleaseAndGetVoidAddress()),
            E_NOINTERFACE);
}

TEST_F(DBErrorTest, ALocalErrorTurnsEachArgumentIntoTextFromLowToHighBound) {
  const OleVariant arguments = OleVariant::ArrayOf(
      {OleVariant(u"Customer"), OleVariant(int32_t(42)), OleVariant::Null(), OleVariant(true)}, 3);
  auto error = MakeComObject<TKRLocalDBError>(14650, arguments, 2);
  EXPECT_EQ(error->Get_RscStringID(), 14650);
  EXPECT_EQ(error->Get_Severity(), 2);
  ComPtr<IKRStringList> list = error->Get_Arguments();
  ASSERT_EQ(list->Get_Count(), 4);
  EXPECT_EQ(list->Get_Strings(0), u"Customer");
  EXPECT_EQ(list->Get_Strings(1), u"42");
  EXPECT_EQ(list->Get_Strings(2), u"");
  EXPECT_EQ(list->Get_Strings(3), u"True");
}

TEST_F(DBErrorTest, ALocalErrorWithoutArgumentsHasAnEmptyList) {
  for (const OleVariant& none : {OleVariant(), OleVariant::Null(), OleVariant::Array(0, -1)}) {
    auto error = MakeComObject<TKRLocalDBError>(14601, none, 1);
    EXPECT_EQ(error->Get_Arguments()->Get_Count(), 0);
  }
  EXPECT_THROW(TKRLocalDBError(14601, OleVariant(u"not an array"), 1), EVariantError);
}

TEST_F(DBErrorTest, TheArgumentsWrapperDoesNotOwnTheListButOutlivesTheError) {
  ComPtr<IKRStringList> list;
  {
    auto error = MakeComObject<TKRLocalDBError>(14601, OleVariant::ArrayOf({OleVariant(u"a")}), 1);
    list = error->Get_Arguments();
    EXPECT_FALSE(static_cast<TKRStringList*>(list.Get())->OwnsList());
    // Every wrapper shows the one list of the error.
    list->Append(u"b");
    EXPECT_EQ(error->Get_Arguments()->Get_Count(), 2);
  }
  EXPECT_EQ(list->Get_Strings(1), u"b");
}

}  // namespace
