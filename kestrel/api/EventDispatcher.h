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

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

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
  // Queues an event whose values are the given texts (field type 9).
  void Post(KSHandle target, int32_t kind, int32_t code, std::vector<std::u16string> texts);

 private:
  struct Pending {
    KSHandle target;
    int32_t kind;
    int32_t code;
    std::vector<std::u16string> texts;
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
