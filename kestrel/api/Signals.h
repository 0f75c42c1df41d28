// Instantiated signals and the library's signal thread.
//
// An instance belongs to the session that made it (the session lists its handle and releases
// it with itself). It keeps its definition's schema alive, its argument values, and the record
// condition made of them once, at instantiation. Evaluating it reads the committed state of the
// session's plan (the view of the session's root transaction, which has no changes of its own)
// and notes which records satisfy the condition; the change of that set is what the events
// tell.
//
// The signal thread sleeps until the nearest due evaluation of an instance that is not
// suspended, or until woken because a schedule changed, then evaluates what is due under the
// library's lock. It starts with the first instantiation and is stopped and joined before the
// library's tables go away.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "kestrel/api/Results.h"
#include "kestrel/engine/SignalCondition.h"

namespace kestrel::api {

using SignalClock = std::chrono::steady_clock;

struct SignalInstance {
  KSHandle session = 0;
  SchemaPtr schema;
  const SignalDef* definition = nullptr;  // in `schema`
  int32_t id = 0;
  std::vector<SignalArgument> arguments;
  ConditionPtr condition;  // none: every record satisfies it
  bool never = false;      // no record can satisfy it
  int32_t interval = 900;  // seconds
  SignalClock::time_point due;
  bool sendEvent = false;
  bool suspended = false;
  bool raised = false;
  std::vector<RecordID> satisfying;  // at the last evaluation, ascending
  void* userData = nullptr;
  std::vector<KSField> argumentFields;  // KSGetSignalArguments
  Results results;

  // The next evaluation one interval from now.
  void Reschedule() { due = SignalClock::now() + std::chrono::seconds(interval); }
};

// Evaluates the instance now and sends the events it calls for. Requires the library's lock.
// KS_OK; the session's status (KS_ERR_SERVER_NOT_RUNNING, KS_ERR_NO_SUCH_DATABASE);
// KS_ERR_NO_SUCH_TRANSACTION when the plan's root scenario is gone; KS_ERR_TRANSACTION_BUSY
// while its database commits; KS_ERR_INVALID_PATTERN when a regular expression gave up on a
// record (the rest of the evaluation stands).
KSStatus EvaluateSignal(SignalInstance& signal);

// Releases the instance's handle and takes it off its session's list. Requires the lock.
bool ReleaseSignal(KSHandle signal);

class SignalThread {
 public:
  SignalThread() = default;
  ~SignalThread();
  SignalThread(const SignalThread&) = delete;
  SignalThread& operator=(const SignalThread&) = delete;

  // A schedule changed: the thread (started if need be) looks again at what is due. Safe under
  // the library's lock: the thread never waits for its own mutex while holding that lock.
  void Wake();

 private:
  void Run();
  // Evaluates what is due; the nearest due time of an instance that is not suspended.
  static std::optional<SignalClock::time_point> EvaluateDue();

  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kestrel::api
