#include "kestrel/api/EventDispatcher.h"

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
                           std::vector<std::u16string> texts) {
  {
    std::lock_guard lock(queueMutex_);
    if (stop_) return;
    EnsureThread();
    queue_.push_back(Pending{target, kind, code, std::move(texts)});
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
  std::vector<KSField> values(event.texts.size());
  for (size_t i = 0; i < event.texts.size(); ++i) {
    values[i].type = KS_TYPE_STRING;
    values[i].value.asString = event.texts[i].c_str();
  }
  const KSEventRecord record{event.kind, event.code, event.target,
                             static_cast<int32_t>(values.size()),
                             values.empty() ? nullptr : values.data()};
  registration.callback(&record, registration.userData);
}

}  // namespace kestrel::api
