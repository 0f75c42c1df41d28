#include "kestrel/api/EventDispatcher.h"

#include "kestrel/api/Results.h"

namespace kestrel::api {

EventDispatcher::~EventDispatcher() {
  {
    std::lock_guard lock(queueMutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void EventDispatcher::EnsureThread() {
  if (thread_.joinable() || stop_) return;
  thread_ = std::thread([this] { Run(); });
  threadId_ = thread_.get_id();
}

void EventDispatcher::Register(KSHandle target, KSEventCallback callback, void* userData,
                               bool wait) {
  {
    std::lock_guard lock(registrationMutex_);
    if (callback != nullptr)
      registrations_[target] = Registration{callback, userData};
    else
      registrations_.erase(target);
  }
  bool onEventThread;
  {
    std::lock_guard lock(queueMutex_);
    EnsureThread();
    onEventThread = std::this_thread::get_id() == threadId_;
  }
  // Waits for a delivery in progress; the next delivery sees the registration removed.
  if (callback == nullptr && wait && !onEventThread) std::lock_guard wait(deliveryMutex_);
}

bool EventDispatcher::IsRegistered(KSHandle target) const {
  std::lock_guard lock(registrationMutex_);
  return registrations_.count(target) != 0;
}

void EventDispatcher::Post(KSHandle target, int32_t kind, int32_t code,
                           std::vector<EventValue> values) {
  {
    std::lock_guard lock(queueMutex_);
    if (stop_) return;
    EnsureThread();
    queue_.push_back(Pending{target, kind, code, std::move(values)});
  }
  wake_.notify_one();
}

void EventDispatcher::Run() {
  for (;;) {
    Pending event;
    {
      std::unique_lock lock(queueMutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      event = std::move(queue_.front());
      queue_.pop_front();
    }
    Deliver(event);
  }
}

void EventDispatcher::Deliver(const Pending& event) {
  std::lock_guard delivering(deliveryMutex_);
  Registration registration{};
  {
    std::lock_guard lock(registrationMutex_);
    const auto it = registrations_.find(event.target);
    if (it == registrations_.end()) return;
    registration = it->second;
  }
  static const std::u16string kNoText;
  static const Blob kNoBlob;
  std::vector<KSField> values(event.values.size());
  for (size_t i = 0; i < event.values.size(); ++i) {
    const EventValue& v = event.values[i];
    const auto* text = std::get_if<std::u16string>(&v.value);
    const auto* blob = std::get_if<Blob>(&v.value);
    values[i] = ToApiField(v.value, v.type, text ? *text : kNoText, blob ? *blob : kNoBlob);
    values[i].name = v.name.empty() ? nullptr : v.name.c_str();
  }
  const KSEventRecord record{event.kind, event.code, event.target,
                             static_cast<int32_t>(values.size()),
                             values.empty() ? nullptr : values.data()};
  registration.callback(&record, registration.userData);
}

}  // namespace kestrel::api
