// The client side of kestreld: handles that live in a daemon, and the forwarding of a KS call
// made on one of them.
//
// A remote handle (RemoteHandles.h) keeps its kind in the top bits; the library maps it to the daemon's own
// handle and the channel to that daemon. Every KS function that takes a handle begins with
// KS_FORWARD: when its first handle argument is remote, the call goes to the daemon and its
// answer is the function's answer; otherwise (and for an unknown remote handle, which the local
// body refuses as it refuses any invalid handle) the function runs in this process.
//
// What the daemon returns (texts, arrays, records) is kept per remote handle, with the same
// lifetime the header gives in-process. User data and callbacks stay here: only their presence
// travels. Every call has a deadline (RemoteTimeout()); a call that fails on the transport
// answers KS_ERR_SERVER_NOT_AVAILABLE where the function answers a status, and its failure
// value otherwise. When the daemon goes away, connections and sessions on it receive
// KS_EVENT_CONNECTION_LOST, and releasing their handles then succeeds locally.
#pragma once

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/CallShape.h"
#include "kestrel/api/RemoteHandles.h"
#include "kestrel/api/Wire.h"

namespace kestrel::api::remote {

// The deadline of one call: $KESTREL_TIMEOUT seconds, 30 by default.
std::chrono::milliseconds RemoteTimeout();

class Channel;

// One forwarded call.
struct Call {
  std::shared_ptr<Channel> channel;
  KSHandle handle = 0;    // this process's handle the call is made on
  std::u16string server;  // the server of the handle the call is made on
  rpc::CallRequest request;
  rpc::CallReply reply;
};

// Where a call on a remote handle goes: nowhere known (the local body refuses the handle), to
// a daemon that is gone, or to its daemon (Begin then started the call).
enum class Route { kUnknown, kLost, kRemote };
Route Begin(KSHandle remote, rpc::Function function, Call& call);
// Sends it; false when the transport failed (the daemon is gone or did not answer in time).
bool Send(Call& call);
// A handle argument: a remote handle of the same channel as itself, a sort handle or a
// condition made here as their contents, 0 as 0; anything else as a handle no daemon knows.
void PutHandle(Call& call, KSHandle handle, rpc::Value& out);
// The local handle of a handle the daemon answered (0 for 0).
KSHandle TakeHandle(Call& call, uint32_t handle);
// The storage of a handle's returned memory, emptied for the call's answer.
wire::Arena& StorageOf(KSHandle handle);
// The progress reports of a forwarded commit: the daemon sends them on the channel's event
// stream while the commit runs, and the channel's thread calls the caller's callback with them,
// in order, while the caller waits; the caller returns once the reply's count has arrived.
class CommitProgress {
 public:
  CommitProgress(const Call& call, KSCommitProgressCallback callback, KSBool flag, KSHandle transaction);
  ~CommitProgress();
  CommitProgress(const CommitProgress&) = delete;
  CommitProgress& operator=(const CommitProgress&) = delete;
  // Waits until `reports` reports were delivered, at most one call deadline.
  void Await(int32_t reports);

  struct Watch;

 private:
  std::shared_ptr<Watch> watch_;
  const Channel* channel_ = nullptr;
  uint32_t remote_ = 0;
};
// Drops the handles the call released.
void Finish(Call& call);
// For a handle whose daemon is gone: forgets it when the call releases it (true).
bool ReleaseLost(KSHandle handle, rpc::Function function);

// A step (KSGetNextRecord, KSGetPreviousRecord) or a read of the current row
// (KSGetCurrentValues) on a remote cursor whose fetch buffer holds more than one row, served
// from the rows held here (HeldRows.h), reading the buffer's next rows when none is left;
// nothing when the call is to be forwarded as it is.
std::optional<KSStatus> ReadRow(KSHandle cursor, rpc::Function function, KSField* values);
// KSGetCurrentRecordPos or KSGetCurrentRecordID of a remote cursor that stands on a held row.
std::optional<int32_t> HeldPlace(KSHandle cursor, rpc::Function function);

// Connects through the daemon of the host (KSConnectServer), when one serves it.
std::optional<KSHandle> ConnectServer(const char16_t* host, const char16_t* server);
// Registers the callback for a remote handle here and asks its daemon for its events.
KSStatus RegisterEvents(KSHandle handle, KSEventCallback callback, void* userData);
// Set in kestreld: this process serves, it never forwards.
void ServeInProcess();

namespace detail {

template <typename T>
void Put(Call& call, const T& value, int32_t count, rpc::Value& out) {
  if constexpr (std::is_same_v<T, KSHandle>) {
    PutHandle(call, value, out);
  } else if constexpr (std::is_same_v<T, int32_t>) {
    out.set_integer(value);
  } else if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, void*>) {
    if (value == nullptr) {
      out.set_absent(true);
    } else if constexpr (wire::kIsOutput<T>) {
      out.set_integer(0);  // the daemon answers it
    } else if constexpr (std::is_same_v<T, const char16_t*>) {
      out.mutable_text()->set_as_string(wire::Bytes(value));
    } else if constexpr (std::is_same_v<T, const char16_t* const*>) {
      auto& texts = *out.mutable_texts();
      for (int32_t i = 0; i < count; ++i) {
        rpc::Field& item = *texts.add_items();
        if (value[i] != nullptr) item.set_as_string(wire::Bytes(value[i]));
      }
    } else if constexpr (std::is_same_v<T, const KSField*>) {
      auto& fields = *out.mutable_fields();
      for (int32_t i = 0; i < count; ++i) wire::ToWire(value[i], *fields.add_items());
    } else if constexpr (std::is_same_v<T, const KSArgumentValue*>) {
      auto& arguments = *out.mutable_arguments();
      for (int32_t i = 0; i < count; ++i) wire::ToWire(value[i], *arguments.add_items());
    } else if constexpr (std::is_same_v<T, const KSErrorRecord*>) {
      wire::ToWire(*value, *out.mutable_error());
    } else {
      out.set_integer(1);  // a callback: whether there is one
    }
  } else {
    out.set_absent(true);  // user data stays here
  }
}

template <typename T>
void TakeOutput(const rpc::Value& in, T out, wire::Arena& arena) {
  if (out == nullptr) return;
  if constexpr (std::is_same_v<T, int32_t*>) {
    *out = in.integer();
  } else {
    for (int i = 0; i < in.fields().items_size(); ++i) out[i] = wire::FromWire(in.fields().items(i), arena);
  }
}

template <typename T, typename Item, typename Convert>
const T* TakeArray(const google::protobuf::RepeatedPtrField<Item>& items, wire::Arena& arena,
                   Convert convert) {
  T* array = arena.Array<T>(static_cast<size_t>(items.size()));
  for (int i = 0; i < items.size(); ++i) array[i] = convert(items.Get(i));
  return array;
}

template <typename R>
R TakeResult(Call& call, wire::Arena& arena) {
  const rpc::Value& in = call.reply.result();
  if constexpr (std::is_same_v<R, KSHandle>) {
    return TakeHandle(call, in.handle());
  } else if constexpr (std::is_same_v<R, int32_t>) {
    return in.integer();
  } else {
    if (in.has_absent()) return nullptr;
    using T = std::remove_cv_t<std::remove_pointer_t<R>>;
    const auto text = [&](const rpc::Field& f) {
      return f.has_as_string() ? arena.Text(f.as_string()) : nullptr;
    };
    if constexpr (std::is_same_v<T, char16_t>) {
      return text(in.text());
    } else if constexpr (std::is_same_v<R, const char16_t* const*>) {
      return TakeArray<const char16_t*>(in.texts().items(), arena, text);
    } else if constexpr (std::is_same_v<T, KSHandle>) {
      KSHandle* array = arena.Array<KSHandle>(static_cast<size_t>(in.handles().items_size()));
      for (int i = 0; i < in.handles().items_size(); ++i) array[i] = TakeHandle(call, in.handles().items(i));
      return array;
    } else if constexpr (std::is_same_v<T, KSField>) {
      return TakeArray<KSField>(in.fields().items(), arena,
                                [&](const rpc::Field& f) { return wire::FromWire(f, arena); });
    } else if constexpr (std::is_same_v<T, KSFieldDescription>) {
      return TakeArray<KSFieldDescription>(
          in.descriptions().items(), arena,
          [&](const rpc::FieldDescription& f) { return wire::FromWire(f, arena); });
    } else if constexpr (std::is_same_v<T, KSErrorRecord>) {
      return TakeArray<KSErrorRecord>(in.errors().items(), arena,
                                      [](const rpc::ErrorRecord& e) { return wire::FromWire(e); });
    } else {
      static_assert(std::is_same_v<T, KSSignalArgInfo>);
      return TakeArray<KSSignalArgInfo>(
          in.arg_infos().items(), arena,
          [&](const rpc::SignalArgInfo& i) { return wire::FromWire(i, arena); });
    }
  }
}

// Whether F is G (functions of other types never are).
template <auto F, auto G>
constexpr bool kIs = [] {
  if constexpr (std::is_same_v<decltype(F), decltype(G)>)
    return F == G;
  else
    return false;
}();

template <typename... A>
KSHandle FirstHandle(A... args) {
  KSHandle first = 0;
  bool found = false;
  (
      [&] {
        if constexpr (std::is_same_v<A, KSHandle>) {
          if (!found) first = args;
          found = true;
        }
      }(),
      ...);
  return first;
}

// The handle whose storage keeps the answer: the first handle, the meta for the two listings
// that the header ties to it.
template <auto F, typename... A>
KSHandle Owner(A... args) {
  if constexpr (kIs<F, &KSGetAvailableDatabases> || kIs<F, &KSGetAvailableServices>)
    return std::get<1>(std::tuple<A...>(args...));
  else
    return FirstHandle(args...);
}

template <typename... A, size_t... I>
void PutArguments(Call& call, std::tuple<A...>& args, std::index_sequence<I...>) {
  const auto countOf = [&](auto index) -> int32_t {
    constexpr size_t j = wire::CountIndex<A...>(decltype(index)::value);
    if constexpr (j < sizeof...(A)) {
      // A count the library refuses unread has nothing read here either.
      const int32_t count = std::get<j>(args);
      return count < 0 || count > wire::kMaxListLength ? 0 : count;
    }
    return 1;
  };
  (Put(call, std::get<I>(args), countOf(std::integral_constant<size_t, I>{}),
       *call.request.add_arguments()),
   ...);
}

template <typename... A, size_t... I>
void TakeOutputs(Call& call, std::tuple<A...>& args, wire::Arena& arena, std::index_sequence<I...>) {
  int next = 0;
  (
      [&] {
        if constexpr (wire::kIsOutput<A>) {
          if (next < call.reply.outputs_size()) TakeOutput(call.reply.outputs(next), std::get<I>(args), arena);
          ++next;
        }
      }(),
      ...);
}

template <typename... A>
void ClearCounts(A... args) {
  (
      [&] {
        if constexpr (std::is_same_v<A, int32_t*>)
          if (args != nullptr) *args = 0;
      }(),
      ...);
}

}  // namespace detail

// The daemon's answer to the call of F with `args`, when its first handle is remote; nothing
// when F is to run in this process. `answersStatus`: F answers a status code.
template <auto F, typename... A>
std::optional<typename wire::Signature<decltype(F)>::Result> Forward(rpc::Function function,
                                                                     bool answersStatus, A... args) {
  using R = typename wire::Signature<decltype(F)>::Result;
  const KSHandle first = detail::FirstHandle(args...);
  if (!IsRemote(first)) return std::nullopt;
  Call call;
  const Route route = Begin(first, function, call);
  if (route == Route::kUnknown) return std::nullopt;
  std::tuple<A...> tuple(args...);
  if (route == Route::kRemote) detail::PutArguments(call, tuple, std::index_sequence_for<A...>{});
  std::optional<CommitProgress> progress;
  if constexpr (detail::kIs<F, &KSCommit>)
    if (route == Route::kRemote) progress.emplace(call, std::get<3>(tuple), std::get<4>(tuple), first);
  if (route == Route::kLost || !Send(call)) {
    // A function that answers a status says why; the others answer as for an invalid handle.
    if constexpr (std::is_same_v<R, int32_t>) {
      if (answersStatus) {
        if (route == Route::kLost && ReleaseLost(first, function)) return KS_OK;
        detail::ClearCounts(args...);
        return KS_ERR_SERVER_NOT_AVAILABLE;
      }
    }
    return std::nullopt;
  }
  constexpr bool returnsMemory = std::is_pointer_v<R> || (std::is_same_v<A, KSField*> || ...);
  wire::Arena& arena = StorageOf(detail::Owner<F>(args...));
  if (returnsMemory) arena.Clear();
  detail::TakeOutputs(call, tuple, arena, std::index_sequence_for<A...>{});
  const R result = detail::TakeResult<R>(call, arena);
  if (progress) progress->Await(call.reply.progress_count());
  Finish(call);
  return result;
}

}  // namespace kestrel::api::remote

// The first statement of a KS function with a handle parameter: forwards the call when that
// handle lives in a daemon. KS_FORWARD_STATUS for functions that answer a status.
#define KS_FORWARD(name, ...)                                                                  \
  if (auto forwarded = ::kestrel::api::remote::Forward<&name>(::kestrel::rpc::F_##name, false, \
                                                              __VA_ARGS__))                    \
  return *forwarded
#define KS_FORWARD_STATUS(name, ...)                                                          \
  if (auto forwarded = ::kestrel::api::remote::Forward<&name>(::kestrel::rpc::F_##name, true, \
                                                              __VA_ARGS__))                   \
  return *forwarded
