#include "objectmodel/KRDataSet_CO_Signal.h"

#include <gtest/gtest.h>

#include <cstring>

#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/com/OleErrors.h"

using namespace kr_session_test;

namespace {

// What KSInstanciateSignal was given, copied while the call lasts.
struct TPassedValue {
  KSArgumentValue Raw{};
  std::vector<std::u16string> Texts;  // elements or single value of type 9
  std::vector<int32_t> Integers;      // elements of integer types
};

// A library describing "Limit" (a float limit, an array of customer IDs, a
// name) and answering instantiation with handle 500 and ID 42.
class SignalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FinalizeAPIEventReception();
    api.On<TKRAPIFunction::KSGetSignalArgsInfo>(
        [this](KSHandle, TKRAPIString name, int32_t* count) -> const KSSignalArgInfo* {
          *count = std::u16string(name) == u"Limit" ? int32_t(std::size(info)) : 0;
          return *count != 0 ? info : nullptr;
        });
    api.On<TKRAPIFunction::KSInstanciateSignal>([this](KSHandle, TKRAPIString,
                                                       const KSArgumentValue* values, int32_t count,
                                                       int32_t, int32_t) {
      passed.clear();
      for (int32_t i = 0; i < count; ++i) passed.push_back(Copy(values[i]));
      return KSHandle(instantiated);
    });
    api.On<TKRAPIFunction::KSGetSignalID>([](KSHandle h) { return h == 500 ? 42 : -1; });
    signal->Set_Session(tree.session.Get());
    signal->Set_Name(u"Limit");
  }
  void TearDown() override { FinalizeAPIEventReception(); }

  static TPassedValue Copy(const KSArgumentValue& value) {
    TPassedValue copy{value, {}, {}};
    for (int32_t i = 0; i < value.elementCount; ++i) {
      if (value.elementType == KS_TYPE_STRING) {
        copy.Texts.emplace_back(value.elements[i].asString);
      } else {
        copy.Integers.push_back(value.elements[i].asInteger);
      }
    }
    if (!value.isArray && value.valueType == KS_TYPE_STRING) {
      copy.Texts.emplace_back(value.single.asString);
    }
    return copy;
  }

  TTestEnvironment environment;
  TScriptedServer api;
  TProxyTree tree;
  KSSignalArgInfo info[3] = {{u"Limit", KS_TYPE_CURRENCY, 0},
                             {u"Customers", KS_TYPE_LINKS, 0},
                             {u"Name", KS_TYPE_STRING, 0}};
  KSHandle instantiated = 500;
  std::vector<TPassedValue> passed;
  ComPtr<TKRSignalInterface> signal = MakeComObject<TKRSignalInterface>();
};

TEST_F(SignalTest, ArgumentsComeFromTheLibrarysDescriptionWithIDsAsIntegerArrays) {
  ASSERT_EQ(signal->Get_ArgumentCount(), 3);
  const ComPtr<IKRArgument> customers = signal->Get_Arguments(1);
  EXPECT_TRUE(customers->Get_IsArray());
  EXPECT_EQ(customers->Get_FieldType(), KS_TYPE_ID);
  EXPECT_EQ(customers->Get_Description(), u"Customers");
  EXPECT_TRUE(customers->Get_IsMandatory());
  EXPECT_FALSE(signal->Get_Arguments(0)->Get_IsArray());
  EXPECT_THROW(signal->Get_Arguments(3), EOleException);

  signal->Get_Arguments(2)->Set_Value(OleVariant(u"x"));
  signal->ClearArguments();
  EXPECT_TRUE(signal->Get_Arguments(2)->Get_IsNull());

  signal->Set_Name(u"Other");
  EXPECT_EQ(signal->Get_ArgumentCount(), 0) << "a new name drops the old arguments";
}

TEST_F(SignalTest, InstantiationPassesValuesInTheLibrarysLayout) {
  signal->Get_Arguments(0)->Set_Value(OleVariant(12.5));
  for (int32_t id : {7, 9, 11}) signal->Get_Arguments(1)->AddValue(OleVariant(id));
  signal->Instanciate();

  ASSERT_TRUE(signal->Get_Instanciated());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSInstanciateSignal),
            (Calls{R"(KSInstanciateSignal(100, "Limit", ptr, 3, 900, 0))"}))
      << "a check interval never set is 900";
  ASSERT_EQ(passed.size(), 3u);
  EXPECT_EQ(passed[0].Raw.isArray, 0);
  EXPECT_EQ(passed[0].Raw.valueType, KS_TYPE_CURRENCY);
  EXPECT_EQ(passed[0].Raw.single.asDouble, 12.5);
  EXPECT_EQ(passed[1].Raw.isArray, 1);
  EXPECT_EQ(passed[1].Raw.valueType, 0);
  EXPECT_EQ(passed[1].Raw.elementType, KS_TYPE_ID);
  EXPECT_EQ(passed[1].Integers, (std::vector<int32_t>{7, 9, 11}));
  EXPECT_EQ(passed[2].Raw.valueType, KS_TYPE_ABSENT) << "a Null single value";
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSSetSignalSendEvent),
            (Calls{"KSSetSignalSendEvent(500, 1)"}));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSSignalSetUserData),
            (Calls{"KSSignalSetUserData(500, ptr)"}));

  signal->Disconnect();
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSReleaseSignal), (Calls{"KSReleaseSignal(500)"}))
      << "a signal the registry does not list releases its handle";
}

TEST_F(SignalTest, ValuesOfEveryKindAndManyTextsReachTheLibraryIntact) {
  info[1] = {u"Names", KS_TYPE_STRING, 1};
  info[2] = {u"Since", KS_TYPE_DATETIME, 0};
  signal->Get_Arguments(0)->Set_Value(OleVariant(3));
  std::vector<OleVariant> names;
  for (int i = 0; i < 300; ++i)
    names.emplace_back(u"name " + std::u16string(1, char16_t(u'A' + i % 26)));
  signal->Get_Arguments(1)->Set_Value(OleVariant::ArrayOf(names));
  const double day = 46023.5;  // 2026-01-01 12:00 local
  signal->Get_Arguments(2)->Set_Value(OleVariant::FromDate(day));
  signal->Set_CheckInterval(30);
  signal->Instanciate();

  ASSERT_EQ(passed.size(), 3u);
  EXPECT_EQ(passed[0].Raw.single.asDouble, 3.0) << "an integer given for a currency";
  ASSERT_EQ(passed[1].Texts.size(), 300u) << "more texts than the conversion ring holds";
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(passed[1].Texts[i], names[i].AsString());
  EXPECT_EQ(passed[2].Raw.single.asInteger, ConvertDateTimeToUTC(day));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSInstanciateSignal).at(0),
            R"(KSInstanciateSignal(100, "Limit", ptr, 3, 30, 0))");
}

TEST_F(SignalTest, SettingsReachTheLibraryOnlyWhenTheyChangeAndWhileConnected) {
  signal->Set_SendsEvent(false);
  signal->Set_Active(false);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSSetSignalSendEvent), 0);
  signal->Instanciate();
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSSetSignalSendEvent), 0) << "not asked for";
  api.ClearCalls();
  signal->Set_SendsEvent(true);
  signal->Set_SendsEvent(true);
  signal->Set_CheckInterval(900);  // what it was instantiated with
  signal->Set_CheckInterval(60);
  signal->Set_Active(false);
  signal->Set_Active(true);
  signal->EvaluateNow();
  EXPECT_EQ(api.Calls(),
            (Calls{"KSSetSignalSendEvent(500, 1)", "KSSetSignalCheckInterval(500, 60)",
                   "KSSuspendSignal(500)", "KSResumeSignal(500)", "KSEvaluateSignalNow(500)"}));
  api.On<TKRAPIFunction::KSIsSignalSuspended>([](KSHandle) { return KSBool(1); });
  EXPECT_FALSE(signal->Get_Active()) << "read from the library while connected";
  api.On<TKRAPIFunction::KSIsSignalRaised>([](KSHandle) { return KSBool(1); });
  EXPECT_TRUE(signal->Get_Raised());
  signal->Disconnect();
  EXPECT_FALSE(signal->Get_Raised());
}

TEST_F(SignalTest, DeletingForgetsTheIDOnlyWhenTheLibraryAgrees) {
  ASSERT_TRUE(tree.session->CheckConnected());
  signal->Instanciate();
  ASSERT_EQ(signal->Get_ID(), 42);
  EXPECT_EQ(tree.session->FindSignalHandle(42), 500u) << "reading the ID registers the handle";

  api.On<TKRAPIFunction::KSDeleteSignal>(
      [](KSHandle) { return KSStatus(KS_ERR_NO_SUCH_DATABASE); });
  EXPECT_EQ(signal->Delete(), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(signal->Get_ID(), 42);
  EXPECT_TRUE(signal->Get_Instanciated());
  EXPECT_EQ(tree.session->FindSignalHandle(42), 500u);

  api.On<TKRAPIFunction::KSDeleteSignal>([](KSHandle) { return KSStatus(KS_OK); });
  api.ClearCalls();
  EXPECT_EQ(signal->Delete(), KS_OK);
  EXPECT_EQ(signal->Get_ID(), kKRNoSignalID);
  EXPECT_FALSE(signal->Get_Instanciated());
  EXPECT_EQ(tree.session->FindSignalHandle(42), 0u);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseSignal), 0)
      << "the deleted handle is not released again";

  EXPECT_EQ(MakeComObject<TKRSignalInterface>()->Delete(), KS_OK) << "nothing instantiated";
}

TEST_F(SignalTest, TheSessionFindsItsSignalsAndHandsThemItsEvents) {
  auto handler = MakeComObject<TRecordingHandler>();
  tree.session->RegisterEventHandler(handler.Get());
  signal->Instanciate();
  ASSERT_EQ(signal->Get_ID(), 42);
  EXPECT_EQ(tree.session->FindSignal(42).Get(), static_cast<IKRSignal*>(signal.Get()));
  EXPECT_FALSE(tree.session->FindSignal(43)) << "neither a proxy nor a registered handle";

  api.On<TKRAPIFunction::KSGetSignalName>([](KSHandle) { return u"Limit"; });
  api.On<TKRAPIFunction::KSGetSignalCheckInterval>([](KSHandle) { return int32_t(120); });
  api.ClearCalls();
  OleVariant changed =
      TKREventData::Make(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_CHANGED, {OleVariant(42)});
  tree.session->HandleAPIEvent(changed);
  EXPECT_EQ(signal->Get_CheckInterval(), 120) << "a changed signal refreshes";
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetSignalArguments), 1);
  ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventSignalChanged}));
  EXPECT_EQ(handler->events[0].data.AsInteger(), 42);

  // A signal the registry lists but no proxy stands for gets a proxy over
  // its handle, which keeps the handle when it goes.
  tree.session->AddSignalHandle(77, 600);
  api.ClearCalls();
  {
    const ComPtr<IKRSignal> found = tree.session->FindSignal(77);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Get_Handle(), 600u);
    EXPECT_EQ(found->Get_ID(), 77);
    EXPECT_EQ(found->Get_Name(), u"Limit");
    EXPECT_EQ(tree.session->Get_Signals()->Get_Count(), 2);
  }
  tree.session->Disconnect();
  EXPECT_FALSE(signal->Get_Instanciated());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseSignal), 0)
      << "signals the registry lists keep their handles; the session's release takes them";
  tree.session->UnregisterEventHandler(handler.Get());
}

TEST_F(SignalTest, RefreshingReadsTheInstanceButKeepsWhatTheLibraryDoesNotTell) {
  signal->Refresh();
  EXPECT_EQ(signal->Get_Name(), u"Limit") << "nothing to read without a handle";
  for (int32_t id : {7, 9}) signal->Get_Arguments(1)->AddValue(OleVariant(id));
  signal->Instanciate();
  const KSField fields[3] = {{KS_TYPE_CURRENCY, 0, {.asDouble = 2.5}, 0, 0, u"limit"},
                             {KS_TYPE_LINKS, 0, {.asInteger = 2}, 0, 0, u"customers"},
                             {KS_TYPE_STRING, 0, {.asString = u"Anna"}, 0, 0, u"name"}};
  api.On<TKRAPIFunction::KSGetSignalArguments>([&](KSHandle, int32_t* count) {
    *count = 3;
    return fields;
  });
  api.On<TKRAPIFunction::KSGetSignalName>([](KSHandle) { return u"Limit"; });
  signal->Refresh();
  EXPECT_EQ(signal->Get_Arguments(0)->Get_Value().AsDouble(), 2.5);
  EXPECT_EQ(signal->Get_Arguments(2)->Get_Value().AsString(), u"Anna");
  ASSERT_EQ(signal->Get_Arguments(1)->Get_ArrayCount(), 2)
      << "an array told only by its count keeps its elements";
  EXPECT_EQ(signal->Get_Arguments(1)->Get_ArrayValue(1).AsInteger(), 9);
}

TEST_F(SignalTest, ASignalTheRegistryListsTakesItsHandleFromThere) {
  ASSERT_TRUE(tree.session->CheckConnected());
  tree.session->AddSignalHandle(5, 700);
  ComPtr<TKRSignalInterface> known = TKRSignalInterface::CreateWithInformation(0, 5);
  EXPECT_EQ(known->Get_ID(), kKRNoSignalID) << "an ID is taken only with a handle";
  known = TKRSignalInterface::CreateWithInformation(700, 5);
  known->Set_Session(tree.session.Get());
  known->Disconnect();
  known->Instanciate();
  EXPECT_EQ(known->Get_Handle(), 700u);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSInstanciateSignal), 0);
  known->Disconnect();
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseSignal), 0) << "the registry keeps it";

  instantiated = 0;
  signal->Instanciate();
  EXPECT_FALSE(signal->Get_Instanciated()) << "the library refused";
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSSignalSetUserData), 1) << "only for the handle found";
}

}  // namespace
