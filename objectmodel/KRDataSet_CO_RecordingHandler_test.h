#pragma once
// The proxy event handler of the tests: records every event it receives
// with its sender and data; `answer`, when set, may write into the data (a
// veto).

#include <cstdint>
#include <functional>
#include <vector>

#include "objectmodel/KRDataSet_CO_Interfaces.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace kr_test {

struct TReceivedEvent {
  intptr_t sender;
  int32_t event;
  OleVariant data;
};

class TRecordingHandler : public ComObject<IKRProxyEventHandler> {
 public:
  void ProxyEvent(IKRProxy* sender, int32_t event, OleVariant& data) override {
    events.push_back({sender != nullptr ? sender->Get_UniqueID() : 0, event, data});
    if (answer) answer(event, data);
  }
  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const TReceivedEvent& e : events) codes.push_back(e.event);
    return codes;
  }
  std::vector<TReceivedEvent> events;
  std::function<void(int32_t, OleVariant&)> answer;
};

}  // namespace kr_test
