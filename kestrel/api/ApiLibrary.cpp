// Library-wide functions: string mode, status texts and event registration.
#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/api/StatusText.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

// The results of the handle, or the calling thread's for handle 0 and unknown handles.
Results& ResultsOf(KSHandle handle) {
  State& s = GetState();
  if (auto* c = s.connections.Get(handle)) return c->results;
  if (auto* m = s.metas.Get(handle)) return m->results;
  if (auto* se = s.sessions.Get(handle)) return se->results;
  if (auto* t = s.transactions.Get(handle)) return t->results;
  if (auto* o = s.objects.Get(handle)) return o->results;
  if (auto* c = s.cursors.Get(handle)) return c->results;
  return ThreadResults();
}

}  // namespace

extern "C" {

KSStatus KSUseWideStrings(KSBool flag) { return flag != 0 ? KS_OK : KS_ERR_NOT_SUPPORTED; }

int32_t KSGetOpenHandleCount(void) {
  return Guard<int32_t>(0, [] {
    const State& s = GetState();
    return static_cast<int32_t>(s.connections.Handles().size() + s.metas.Handles().size() +
                                s.sessions.Handles().size() + s.transactions.Handles().size() +
                                s.objects.Handles().size() + s.cursors.Handles().size() +
                                s.sorts.Handles().size() + s.conditions.Handles().size() +
                                s.signals.Handles().size()) +
           remote::OpenHandleCount();
  });
}

const char16_t* KSFormatMessage(KSHandle handle, KSStatus code, int32_t flags) {
  KS_FORWARD(KSFormatMessage, handle, code, flags);
  return Guard<const char16_t*>(u"internal error", [&] {
    std::u16string text = StatusText(code);
    if (flags == 1) text = u"[" + ToUtf16(std::to_string(code)) + u"] " + text;
    return ResultsOf(handle).Text(std::move(text));
  });
}

const char16_t* KSFormatError(KSHandle session, const KSErrorRecord* error, int32_t flags) {
  KS_FORWARD(KSFormatError, session, error, flags);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    Session* s = GetState().sessions.Get(session);
    if (s == nullptr || error == nullptr) return nullptr;
    std::u16string text = StatusText(error->code);
    if (flags == 1) {
      std::string where;
      if (error->recordID != -1) where += " record " + std::to_string(error->recordID);
      if (const ClassDef* cls = s->db->GetSchema().FindClass(error->classID)) {
        where += " of class " + cls->name;
        if (error->fieldIndex >= 0 &&
            static_cast<size_t>(error->fieldIndex) < cls->allFields.size())
          where += ", field " + cls->allFields[static_cast<size_t>(error->fieldIndex)].name;
      }
      if (!where.empty()) text += u" (" + ToUtf16(where.substr(1)) + u")";
    }
    return s->results.Text(std::move(text));
  });
}

KSStatus KSRegisterEventCallback(KSHandle handle, KSEventCallback callback, void* userData) {
  if (remote::IsRemote(handle)) return remote::RegisterEvents(handle, callback, userData);
  const KSStatus status = Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    State& s = GetState();
    const bool known = handle == 0 || s.connections.Get(handle) || s.sessions.Get(handle);
    return known ? KS_OK : KS_ERR_INVALID_HANDLE;
  });
  if (status != KS_OK) return status;
  try {
    // Outside the API lock: unregistering waits for a running callback, which may call us.
    GetState().events.Register(handle, callback, userData);
  } catch (...) {
    return KS_ERR_INTERNAL;
  }
  return KS_OK;
}

}  // extern "C"
