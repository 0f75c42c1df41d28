// Class trigger subscriptions of a session (the events are sent by ApiNotices).
#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

// Runs `body(session, class)` with the live session and the class it names.
template <typename F>
KSStatus WithClass(KSHandle session, const char16_t* className, F&& body) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Session* s = LiveSession(session, status);
    if (s == nullptr) return status;
    const ClassDef* cls = s->db->GetSchema().FindClass(Narrow(className));
    return cls ? body(*s, *cls) : KS_ERR_NO_SUCH_CLASS;
  });
}

}  // namespace

extern "C" {

KSStatus KSSubscribeToTableTriggers(KSHandle session, const char16_t* className, int32_t mask,
                                    KSBool withValues) {
  KS_FORWARD_STATUS(KSSubscribeToTableTriggers, session, className, mask, withValues);
  return WithClass(session, className, [&](Session& s, const ClassDef& cls) -> KSStatus {
    const int32_t all = KS_TRIGGER_INSERT | KS_TRIGGER_UPDATE | KS_TRIGGER_DELETE;
    if (mask == 0 || (mask & ~all) != 0) return KS_ERR_INVALID_ARGUMENT;
    s.triggers[cls.id] = Trigger{mask, withValues != 0};
    return KS_OK;
  });
}

KSStatus KSUnsubscribeToTableTriggers(KSHandle session, const char16_t* className) {
  KS_FORWARD_STATUS(KSUnsubscribeToTableTriggers, session, className);
  return WithClass(session, className, [&](Session& s, const ClassDef& cls) {
    s.triggers.erase(cls.id);
    return KS_OK;
  });
}

}  // extern "C"
