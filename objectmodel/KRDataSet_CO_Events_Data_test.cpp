#include "objectmodel/KRDataSet_CO_Events_Data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(EventDataTest, MadeDataHasTheLayoutHandlersReceiveAndTakesTheFlag) {
  OleVariant data = TKREventData::Make(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_RAISED,
                                       {OleVariant(u"7"), OleVariant(3)});
  ASSERT_EQ(data.LowBound(), 0);
  ASSERT_EQ(data.HighBound(), 3);
  EXPECT_FALSE(data[0].AsBool());
  EXPECT_EQ(data[1].AsInteger(), KS_EVENT_SERVER_NOTICE);
  EXPECT_EQ(data[2].AsInteger(), KS_NOTICE_SIGNAL_RAISED);
  ASSERT_EQ(data[3].LowBound(), 0);
  EXPECT_EQ(data[3].HighBound(), 1);
  EXPECT_TRUE(TKREventData::Make(KS_EVENT_SESSION_MESSAGE, 0)[3].IsNull());

  // The disconnect flag is set on the viewed data itself.
  TKREventData event(data);
  EXPECT_FALSE(event.Disconnects());
  event.SetDisconnects();
  EXPECT_TRUE(event.Disconnects());
  EXPECT_TRUE(data[0].AsBool());
}

TEST(EventDataTest, TheViewReadsValuesTypedOrTextAndNothingPastTheEnd) {
  OleVariant data = TKREventData::Make(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_CHANGED,
                                       {OleVariant(u" 12 "), OleVariant(int32_t(34))});
  TKREventData event(data);
  EXPECT_EQ(event.Kind(), KS_EVENT_SERVER_NOTICE);
  EXPECT_EQ(event.Code(), KS_NOTICE_SIGNAL_CHANGED);
  ASSERT_EQ(event.ValueCount(), 2);
  EXPECT_EQ(event.IntegerValue(0), 12);
  EXPECT_EQ(event.IntegerValue(1), 34);
  EXPECT_EQ(event.TextValue(1), u"34");
  for (int32_t outside : {-1, 2, 1000}) {
    EXPECT_TRUE(event.Value(outside).IsEmpty()) << outside;
    EXPECT_EQ(event.IntegerValue(outside), 0);
    EXPECT_EQ(event.TextValue(outside), u"");
  }

  OleVariant none = TKREventData::Make(KS_EVENT_DATABASE_OFFLINE, 0);
  EXPECT_EQ(TKREventData(none).ValueCount(), 0);
  EXPECT_TRUE(TKREventData(none).Value(0).IsEmpty());

  KSField id{};
  id.type = KS_TYPE_ID;
  id.value.asInteger = 4711;
  // A library record's typed value stays typed.
  OleVariant record =
      TKREventData::FromRecord({KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_RAISED, 9, 1, &id});
  TKREventData typed(record);
  EXPECT_EQ(typed.Code(), KS_NOTICE_SIGNAL_RAISED);
  ASSERT_EQ(typed.ValueCount(), 1);
  EXPECT_EQ(typed.Value(0).Type(), VT_I4);
  EXPECT_EQ(typed.IntegerValue(0), 4711);
  EXPECT_EQ(typed.TextValue(0), u"4711");

  // A count without values, and values with a count that is not positive.
  for (const KSEventRecord& empty : {KSEventRecord{KS_EVENT_SESSION_MESSAGE, 0, 0, 2, nullptr},
                                     KSEventRecord{KS_EVENT_SESSION_MESSAGE, 0, 0, 0, &id},
                                     KSEventRecord{KS_EVENT_SESSION_MESSAGE, 0, 0, -1, &id}}) {
    OleVariant built = TKREventData::FromRecord(empty);
    EXPECT_TRUE(TKREventData(built).Values().IsNull());
  }
}

}  // namespace
