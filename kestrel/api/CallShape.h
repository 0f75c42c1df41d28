// What the C types of a KS function's parameters mean on the wire, shared by the client that
// forwards a call and the daemon that serves it. The header's conventions make the types
// enough: KSHandle (uint32_t) is the only unsigned parameter; every `int32_t*` and `KSField*`
// parameter is an output; an input array's length is the first int32_t parameter after it, or
// else the nearest one before it (KSInsertNewRecord's names share the values' count).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "kestrel/api/LastErrors.h"
#include "kestrel/daemon/kestrel.pb.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api::wire {

// The longest list of fields or values a call takes: the library refuses longer ones without
// reading them, so a client sends no more than this of a list.
constexpr int32_t kMaxListLength = 4096;
// The most rows a cursor reads ahead (KSSetFetchBuffer), so that a wrong size cannot make the
// library hold unbounded memory.
constexpr int32_t kMaxFetchRows = 100000;

template <typename F>
struct Signature;
template <typename R, typename... A>
struct Signature<R (*)(A...)> {
  using Result = R;
  static constexpr size_t kArity = sizeof...(A);
};

template <typename T>
constexpr bool kIsOutput = std::is_same_v<T, int32_t*> || std::is_same_v<T, KSField*>;

template <typename... A>
constexpr size_t CountIndex(size_t array) {
  constexpr bool isCount[] = {std::is_same_v<A, int32_t>..., false};
  for (size_t j = array + 1; j < sizeof...(A); ++j)
    if (isCount[j]) return j;
  for (size_t j = array; j-- > 0;)
    if (isCount[j]) return j;
  return sizeof...(A);
}

// Index of the first `int32_t*` parameter (the count of an answered array), or the arity.
template <typename... A>
constexpr size_t FirstCountOutput() {
  constexpr bool isOut[] = {std::is_same_v<A, int32_t*>..., false};
  for (size_t j = 0; j < sizeof...(A); ++j)
    if (isOut[j]) return j;
  return sizeof...(A);
}

// The calls that set a thread's last error (LastErrors.h), and which one.
inline std::optional<LastError> LastErrorOf(rpc::Function function) {
  switch (function) {
    case rpc::F_KSConnectServer:
      return LastError::kConnect;
    case rpc::F_KSCreateSession:
      return LastError::kSession;
    case rpc::F_KSCreateCursor:
    case rpc::F_KSCreateChildCursor:
      return LastError::kCursor;
    case rpc::F_KSInstanciateSignal:
      return LastError::kSignal;
    default:
      return std::nullopt;
  }
}

}  // namespace kestrel::api::wire
