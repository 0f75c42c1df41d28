#pragma once
// TKREventData: the view over the data of a Database API event, as the
// reception builds it and the server and session proxies hand it to their
// handlers (kKREventAPIEvent). The data is an array of four:
//   [0] the disconnect flag: false as built, set by a proxy that finds the
//       event lost it its server;
//   [1] the event's kind and [2] its code (KS_EVENT_*, KS_NOTICE_*);
//   [3] the event's values in order (an array from 0), or Null without any.
// Nothing else reads or writes that layout by position.
//
// Values come as the library types them (ConvertAPIFieldToOleVariant):
// IntegerValue and TextValue convert by the variant rules, so a caller gets
// the same answer whether the library sends a number or its text.

#include <cstdint>
#include <string>
#include <vector>

#include "kestrel/include/KestrelAPI.h"
#include "platform/com/Variant.h"

class TKREventData {
 public:
  // The data of an event: not disconnecting, with the values (Null for none).
  static OleVariant Make(int32_t kind, int32_t code, std::vector<OleVariant> values = {});
  // The data of a library event: its values copied out of the library's
  // buffers by their field types. A count that is not positive, or no values,
  // gives none.
  static OleVariant FromRecord(const KSEventRecord& event);

  // A view over `data`, which must outlive it and have the layout above.
  explicit TKREventData(OleVariant& data) : FData(data) {}

  int32_t Kind() const { return FData[1].AsInteger(); }
  int32_t Code() const { return FData[2].AsInteger(); }
  bool Disconnects() const { return FData[0].AsBool(); }
  void SetDisconnects() { FData[0] = OleVariant(true); }

  int32_t ValueCount() const;
  // The value at `index` (from 0); Empty past the last one.
  OleVariant Value(int32_t index) const;
  // The value as an integer (0 past the last one) and as text ("" past it).
  int32_t IntegerValue(int32_t index) const { return Value(index).AsInteger(); }
  std::u16string TextValue(int32_t index) const { return Value(index).AsString(); }
  // The values as an array (Null without any), as handlers receive them.
  const OleVariant& Values() const { return FData[3]; }

 private:
  OleVariant& FData;
};
