#include <algorithm>

#include "kestrel/api/ApiState.h"

namespace kestrel::api {

KSStatus EvaluateSignal(SignalInstance& signal) {
  State& s = GetState();
  KSStatus status;
  Session* session = LiveSession(signal.session, status);
  if (session == nullptr) return status;
  if (session->db->Busy()) return KS_ERR_TRANSACTION_BUSY;
  const OpenTransaction* root = s.transactions.Get(session->rootTransaction);
  const std::optional<View> view = root ? root->engine->GetView() : std::nullopt;
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;

  std::vector<RecordID> satisfying;
  KSStatus failure = KS_OK;
  if (!signal.never) {
    const ClassDef& cls = *signal.schema->FindClass(signal.definition->className);
    std::unique_ptr<BoundCondition> bound;
    if (signal.condition) {
      status = BoundCondition::Bind(*signal.schema, cls, *signal.condition, !session->plan.empty(),
                                    bound);
      if (status != KS_OK) return status;
    }
    ReadContext context(*view);
    for (const RecordID id : view->MembersOf(cls)) {
      const Record* record = view->Find(id);
      if (record != nullptr && (!bound || bound->Test(context, id, *record)))
        satisfying.push_back(id);
    }
    if (bound) failure = bound->Failure();
    std::sort(satisfying.begin(), satisfying.end());
  }

  const bool raised = !satisfying.empty();
  const bool changed = signal.raised && (!raised || satisfying != signal.satisfying);
  const int32_t notice = raised && !signal.raised ? KS_NOTICE_SIGNAL_RAISED
                         : changed                ? KS_NOTICE_SIGNAL_CHANGED
                                                  : 0;
  signal.raised = raised;
  signal.satisfying = std::move(satisfying);
  if (notice != 0 && signal.sendEvent)
    Notify(signal.session, KS_EVENT_SERVER_NOTICE, notice, {EventValue::Integer(signal.id)});
  return failure;
}

bool ReleaseSignal(KSHandle signal) {
  State& s = GetState();
  const std::unique_ptr<SignalInstance> released = s.signals.Remove(signal);
  if (!released) return false;
  if (Session* session = s.sessions.Get(released->session))
    session->signals.erase(std::remove(session->signals.begin(), session->signals.end(), signal),
                           session->signals.end());
  return true;
}

SignalThread::~SignalThread() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SignalThread::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
    if (!thread_.joinable() && !stop_) thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_all();
}

std::optional<SignalClock::time_point> SignalThread::EvaluateDue() {
  return Guard<std::optional<SignalClock::time_point>>(std::nullopt, [] {
    State& s = GetState();
    std::optional<SignalClock::time_point> next;
    const SignalClock::time_point now = SignalClock::now();
    for (const KSHandle handle : s.signals.Handles()) {
      SignalInstance& signal = *s.signals.Get(handle);
      if (signal.suspended) continue;
      if (signal.due <= now) {
        // An instance whose session cannot be read now is tried again one interval later.
        EvaluateSignal(signal);
        signal.Reschedule();
      }
      if (!next || signal.due < *next) next = signal.due;
    }
    return next;
  });
}

void SignalThread::Run() {
  for (;;) {
    const std::optional<SignalClock::time_point> next = EvaluateDue();
    std::unique_lock lock(mutex_);
    const auto woken = [this] { return woken_ || stop_; };
    if (next)
      wake_.wait_until(lock, *next, woken);
    else
      wake_.wait(lock, woken);
    if (stop_) return;
    woken_ = false;
  }
}

}  // namespace kestrel::api
