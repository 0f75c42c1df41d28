// Class trigger subscriptions of a session (the events are sent by ApiNotices).
#include "kestrel/api/ApiState.h"

using namespace kestrel;
using namespace kestrel::api;

extern "C" {

KSStatus KSSubscribeToTableTriggers(KSHandle session, const char16_t* className, int32_t mask,
                                    KSBool withValues) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Session* s = LiveSession(session, status);
    if (s == nullptr) return status;
    const ClassDef* cls = s->db->GetSchema().FindClass(Narrow(className));
    if (cls == nullptr) return KS_ERR_NO_SUCH_CLASS;
    const int32_t all = KS_TRIGGER_INSERT | KS_TRIGGER_UPDATE | KS_TRIGGER_DELETE;
    if (mask == 0 || (mask & ~all) != 0) return KS_ERR_INVALID_ARGUMENT;
    s->triggers[cls->id] = Trigger{mask, withValues != 0};
    return KS_OK;
  });
}

KSStatus KSUnsubscribeToTableTriggers(KSHandle session, const char16_t* className) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Session* s = LiveSession(session, status);
    if (s == nullptr) return status;
    const ClassDef* cls = s->db->GetSchema().FindClass(Narrow(className));
    if (cls == nullptr) return KS_ERR_NO_SUCH_CLASS;
    s->triggers.erase(cls->id);
    return KS_OK;
  });
}

}  // extern "C"
