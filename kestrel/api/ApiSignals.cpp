// Signals: instantiation of a schema's signal definitions, their settings and evaluation.
#include <algorithm>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/api/LastErrors.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

// What a value of the type holds, counted as Value's alternatives: 1 an integer (record IDs of
// type 14 too), 2 a double, 3 a text; 0 for what a signal does not take.
int HoldsOf(int32_t valueType) {
  const size_t alternative = valueType == type::kLinks ? 1 : AlternativeOf(valueType);
  return alternative <= 3 ? static_cast<int>(alternative) : 0;
}

template <typename Element>
Value ValueOf(int holds, const Element& element) {
  if (holds == 1) return element.asInteger;
  if (holds == 2) return element.asDouble;
  return Wide(element.asString);
}

// The argument's value as the caller gave it; false when it does not fit the definition.
bool ReadArgument(const SignalArgDef& def, const KSArgumentValue& given, SignalArgument& out) {
  const int holds = HoldsOf(def.type);
  out.isArray = def.isArray;
  if (def.isArray) {
    if (given.isArray == 0 || HoldsOf(given.elementType) != holds || given.elementCount < 0 ||
        (given.elementCount > 0 && given.elements == nullptr))
      return false;
    for (int32_t i = 0; i < given.elementCount; ++i)
      out.elements.push_back(ValueOf(holds, given.elements[i]));
    return true;
  }
  if (given.isArray != 0) return false;
  if (given.valueType == KS_TYPE_ABSENT) {
    out.absent = true;
    return true;
  }
  if (HoldsOf(given.valueType) != holds) return false;
  out.single = ValueOf(holds, given.single);
  return true;
}

const SignalDef* FindDefinition(const Schema& schema, const std::string& name) {
  for (const SignalDef& def : schema.signals)
    if (def.name == name) return &def;
  return nullptr;
}

// Checks everything the instance needs and makes it; the status tells why not.
KSStatus MakeInstance(KSHandle sessionHandle, const char16_t* name,
                      const KSArgumentValue* arguments, int32_t argumentCount,
                      int32_t checkInterval, int32_t flags, std::unique_ptr<SignalInstance>& out) {
  KSStatus status;
  Session* session = LiveSession(sessionHandle, status);
  if (session == nullptr) return status;
  const SchemaPtr& schema = session->db->SchemaRef();
  const SignalDef* def = FindDefinition(*schema, Narrow(name));
  if (def == nullptr) return KS_ERR_NO_SUCH_SIGNAL;
  if (argumentCount < 0 || size_t(argumentCount) != def->arguments.size() ||
      (argumentCount > 0 && arguments == nullptr) || checkInterval < 1 || flags != 0)
    return KS_ERR_INVALID_ARGUMENT;
  auto signal = std::make_unique<SignalInstance>();
  signal->arguments.resize(def->arguments.size());
  for (size_t i = 0; i < def->arguments.size(); ++i)
    if (!ReadArgument(def->arguments[i], arguments[i], signal->arguments[i]))
      return KS_ERR_INVALID_ARGUMENT;
  const bool inVersion = !session->plan.empty();
  const ClassDef& cls = *schema->FindClass(def->className);
  if ((inVersion ? cls.versionAccess : cls.rootAccess) == access::kInvisible)
    return KS_ERR_ACCESS_DENIED;
  status = def->parsed->Instantiate(*schema, cls, signal->arguments, inVersion, signal->condition,
                                    signal->never);
  if (status != KS_OK) return status;
  // Binding once here reports a condition that cannot be evaluated (a text compared with a
  // number) before anything is instantiated.
  std::unique_ptr<BoundCondition> bound;
  if (signal->condition &&
      (status = BoundCondition::Bind(*schema, cls, *signal->condition, inVersion, bound)) != KS_OK)
    return status;
  signal->session = sessionHandle;
  signal->schema = schema;
  signal->definition = def;
  signal->interval = checkInterval;
  signal->Reschedule();
  out = std::move(signal);
  return KS_OK;
}

template <typename R, typename F>
R WithSignal(KSHandle handle, R failure, F&& body) {
  return Guard<R>(failure, [&]() -> R {
    SignalInstance* signal = GetState().signals.Get(handle);
    return signal ? body(*signal) : failure;
  });
}

}  // namespace

extern "C" {

const KSSignalArgInfo* KSGetSignalArgsInfo(KSHandle session, const char16_t* name, int32_t* count) {
  KS_FORWARD(KSGetSignalArgsInfo, session, name, count);
  if (count != nullptr) *count = 0;
  return Guard<const KSSignalArgInfo*>(nullptr, [&]() -> const KSSignalArgInfo* {
    KSStatus status;
    Session* s = LiveSession(session, status);
    const SignalDef* def = s ? FindDefinition(s->db->GetSchema(), Narrow(name)) : nullptr;
    if (def == nullptr || def->arguments.empty() || count == nullptr) return nullptr;
    std::vector<std::u16string> descriptions;
    for (const SignalArgDef& arg : def->arguments) descriptions.push_back(ToUtf16(arg.description));
    int32_t n = 0;
    const char16_t* const* texts = s->results.Texts(std::move(descriptions), &n);
    s->signalArgs.clear();
    for (size_t i = 0; i < def->arguments.size(); ++i)
      s->signalArgs.push_back(
          KSSignalArgInfo{texts[i], def->arguments[i].type, def->arguments[i].isArray ? 1 : 0});
    *count = n;
    return s->signalArgs.data();
  });
}

KSHandle KSInstanciateSignal(KSHandle session, const char16_t* name,
                             const KSArgumentValue* arguments, int32_t argumentCount,
                             int32_t checkInterval, int32_t flags) {
  KS_FORWARD(KSInstanciateSignal, session, name, arguments, argumentCount, checkInterval, flags);
  LastErrorOf(LastError::kSignal) = KS_ERR_INTERNAL;
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    std::unique_ptr<SignalInstance> signal;
    KSStatus& status = LastErrorOf(LastError::kSignal);
    status = MakeInstance(session, name, arguments, argumentCount, checkInterval, flags, signal);
    if (status != KS_OK) return 0;
    State& s = GetState();
    signal->id = s.nextSignalId;
    const KSHandle handle = s.signals.Add(std::move(signal));
    if (handle == 0) {
      status = KS_ERR_INTERNAL;
      return 0;
    }
    ++s.nextSignalId;
    s.sessions.Get(session)->signals.push_back(handle);
    s.signalThread.Wake();
    return handle;
  });
}

KSStatus KSGetLastSignalError(void) { return LastErrorOf(LastError::kSignal); }

const KSHandle* KSGetInstanciatedSignals(KSHandle session, int32_t* count, int32_t flags) {
  KS_FORWARD(KSGetInstanciatedSignals, session, count, flags);
  if (count != nullptr) *count = 0;
  return Guard<const KSHandle*>(nullptr, [&]() -> const KSHandle* {
    Session* s = GetState().sessions.Get(session);
    if (s == nullptr || count == nullptr || flags != 0) return nullptr;
    return s->results.Handles(s->signals, count);
  });
}

KSStatus KSReleaseSignal(KSHandle signal) {
  KS_FORWARD_STATUS(KSReleaseSignal, signal);
  return Guard<KSStatus>(KS_ERR_INTERNAL,
                         [&] { return ReleaseSignal(signal) ? KS_OK : KS_ERR_INVALID_HANDLE; });
}

KSStatus KSDeleteSignal(KSHandle signal) {
  KS_FORWARD_STATUS(KSDeleteSignal, signal);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [&](SignalInstance& s) {
    KSStatus status;
    if (LiveSession(s.session, status) == nullptr) return status;
    ReleaseSignal(signal);
    return KSStatus{KS_OK};
  });
}

KSStatus KSSignalSetUserData(KSHandle signal, void* userData) {
  return SetUserData(GetState().signals, signal, userData);
}

const char16_t* KSGetSignalName(KSHandle signal) {
  KS_FORWARD(KSGetSignalName, signal);
  return WithSignal(signal, static_cast<const char16_t*>(nullptr),
                    [](SignalInstance& s) { return s.results.Text(ToUtf16(s.definition->name)); });
}

int32_t KSGetSignalID(KSHandle signal) {
  KS_FORWARD(KSGetSignalID, signal);
  return WithSignal(signal, int32_t{-1}, [](SignalInstance& s) { return s.id; });
}

const KSField* KSGetSignalArguments(KSHandle signal, int32_t* count) {
  KS_FORWARD(KSGetSignalArguments, signal, count);
  if (count != nullptr) *count = 0;
  return WithSignal(
      signal, static_cast<const KSField*>(nullptr), [&](SignalInstance& s) -> const KSField* {
        if (count == nullptr || s.arguments.empty()) return nullptr;
        std::vector<Results::Named> named;
        for (size_t i = 0; i < s.arguments.size(); ++i) {
          const SignalArgDef& def = s.definition->arguments[i];
          const SignalArgument& arg = s.arguments[i];
          if (arg.isArray)
            named.push_back({int32_t(arg.elements.size()), type::kLinks, ToUtf16(def.name)});
          else
            named.push_back({arg.single, def.type, ToUtf16(def.name)});
        }
        s.argumentFields.assign(named.size(), KSField{});
        s.results.Values(std::move(named), s.argumentFields.data());
        *count = int32_t(s.argumentFields.size());
        return s.argumentFields.data();
      });
}

int32_t KSGetSignalCheckInterval(KSHandle signal) {
  KS_FORWARD(KSGetSignalCheckInterval, signal);
  return WithSignal(signal, int32_t{0}, [](SignalInstance& s) { return s.interval; });
}

KSStatus KSSetSignalCheckInterval(KSHandle signal, int32_t seconds) {
  KS_FORWARD_STATUS(KSSetSignalCheckInterval, signal, seconds);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [&](SignalInstance& s) -> KSStatus {
    if (seconds < 1) return KS_ERR_INVALID_ARGUMENT;
    s.interval = seconds;
    s.Reschedule();
    GetState().signalThread.Wake();
    return KS_OK;
  });
}

KSStatus KSSetSignalSendEvent(KSHandle signal, KSBool send) {
  KS_FORWARD_STATUS(KSSetSignalSendEvent, signal, send);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [&](SignalInstance& s) {
    s.sendEvent = send != 0;
    return KSStatus{KS_OK};
  });
}

KSBool KSDoesSignalSendEvent(KSHandle signal) {
  KS_FORWARD(KSDoesSignalSendEvent, signal);
  return WithSignal(signal, KSBool{0}, [](SignalInstance& s) { return KSBool{s.sendEvent}; });
}

KSBool KSIsSignalSuspended(KSHandle signal) {
  KS_FORWARD(KSIsSignalSuspended, signal);
  return WithSignal(signal, KSBool{0}, [](SignalInstance& s) { return KSBool{s.suspended}; });
}

KSBool KSIsSignalRaised(KSHandle signal) {
  KS_FORWARD(KSIsSignalRaised, signal);
  return WithSignal(signal, KSBool{0}, [](SignalInstance& s) { return KSBool{s.raised}; });
}

KSStatus KSSuspendSignal(KSHandle signal) {
  KS_FORWARD_STATUS(KSSuspendSignal, signal);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [](SignalInstance& s) {
    s.suspended = true;
    return KSStatus{KS_OK};
  });
}

KSStatus KSResumeSignal(KSHandle signal) {
  KS_FORWARD_STATUS(KSResumeSignal, signal);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [](SignalInstance& s) {
    if (s.suspended) {
      s.suspended = false;
      s.Reschedule();
      GetState().signalThread.Wake();
    }
    return KSStatus{KS_OK};
  });
}

KSStatus KSEvaluateSignalNow(KSHandle signal) {
  KS_FORWARD_STATUS(KSEvaluateSignalNow, signal);
  return WithSignal(signal, KSStatus{KS_ERR_INVALID_HANDLE}, [](SignalInstance& s) {
    return s.suspended ? KSStatus{KS_ERR_SIGNAL_SUSPENDED} : EvaluateSignal(s);
  });
}

}  // extern "C"
