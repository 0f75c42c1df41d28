// The library's event thread. Events are queued by the API functions and delivered, one at a
// time and in order, to the callback registered for their target handle at delivery time
// (target 0: the global callback). Unregistering waits until a delivery to that callback in
// progress has finished, except when called from the event thread itself, so that no callback
// runs after its removal has returned. The thread starts with the first event or registration
// and is joined when the dispatcher is destroyed at process exit.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kestrel/engine/Value.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

// One value of an event, typed: a text, an integer, a boolean, a record ID, or a record's field
// (with its name).
struct EventValue {
  int32_t type = KS_TYPE_STRING;
  Value value;
  std::u16string name;

  static EventValue Text(std::u16string text) { return {KS_TYPE_STRING, std::move(text), {}}; }
  static EventValue Integer(int32_t n) { return {KS_TYPE_INTEGER, n, {}}; }
  static EventValue Boolean(bool b) { return {KS_TYPE_BOOLEAN, int32_t{b ? 1 : 0}, {}}; }
  static EventValue RecordId(RecordID id) { return {KS_TYPE_ID, id, {}}; }
  static EventValue Field(int32_t fieldType, Value v, std::u16string fieldName) {
    return {fieldType, std::move(v), std::move(fieldName)};
  }
};

class EventDispatcher {
 public:
  EventDispatcher() = default;
  ~EventDispatcher();
  EventDispatcher(const EventDispatcher&) = delete;
  EventDispatcher& operator=(const EventDispatcher&) = delete;

  // A null callback removes the registration and, with `wait`, waits for a delivery to it in
  // progress. The API never waits while it holds its own lock, which a callback may need.
  void Register(KSHandle target, KSEventCallback callback, void* userData, bool wait = true);
  bool IsRegistered(KSHandle target) const;
  // Queues an event with its values.
  void Post(KSHandle target, int32_t kind, int32_t code, std::vector<EventValue> values);

 private:
  struct Pending {
    KSHandle target;
    int32_t kind;
    int32_t code;
    std::vector<EventValue> values;
  };
  struct Registration {
    KSEventCallback callback;
    void* userData;
  };

  void EnsureThread();  // requires queueMutex_
  void Run();
  void Deliver(const Pending& event);

  std::mutex queueMutex_;
  std::condition_variable wake_;
  std::deque<Pending> queue_;
  bool stop_ = false;
  std::thread thread_;
  std::thread::id threadId_;

  mutable std::mutex registrationMutex_;
  std::map<KSHandle, Registration> registrations_;
  std::mutex deliveryMutex_;  // held while a callback runs
};

}  // namespace kestrel::api
