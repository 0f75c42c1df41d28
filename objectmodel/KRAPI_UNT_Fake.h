#pragma once
// A scripted Database API for tests. While a TKRFakeAPI lives its table is
// installed in place of the library: every call is recorded as text, such as
// `KSConnectServer("host", "KestrelOS20")`, and answers what the test
// programmed for that function with On, or 0 / null when nothing was
// programmed. Text arguments are written in double quotes (null as `null`),
// integers in decimal, other pointers as `ptr` or `null`. Calls may arrive on
// any thread. Only one fake lives at a time.

#include <any>
#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "objectmodel/KRAPI_UNT.h"

namespace kr_fake_detail {

template <TKRAPIFunction F>
struct Entry;
#define KR_API_FAKE_TRAITS(name)       \
  template <>                          \
  struct Entry<TKRAPIFunction::name> { \
    using Pointer = decltype(&::name); \
  };
KR_API_FUNCTIONS(KR_API_FAKE_TRAITS)
#undef KR_API_FAKE_TRAITS

std::string ConvertArgumentText(const char16_t* text);

template <class T>
std::string FormatArgument(T value) {
  if constexpr (std::is_same_v<T, const char16_t*>) {
    return value == nullptr ? "null" : "\"" + ConvertArgumentText(value) + "\"";
  } else if constexpr (std::is_pointer_v<T>) {
    return value == nullptr ? "null" : "ptr";
  } else {
    return std::to_string(value);
  }
}

}  // namespace kr_fake_detail

class TKRFakeAPI {
 public:
  TKRFakeAPI();
  ~TKRFakeAPI();
  TKRFakeAPI(const TKRFakeAPI&) = delete;
  TKRFakeAPI& operator=(const TKRFakeAPI&) = delete;

  // Programs function F: later calls answer handler(arguments...).
  template <TKRAPIFunction F, class Handler>
  void On(Handler handler) {
    using Pointer = typename kr_fake_detail::Entry<F>::Pointer;
    handlers_[size_t(F)] = std::function<std::remove_pointer_t<Pointer>>(std::move(handler));
  }

  // The calls recorded so far, in order.
  std::vector<std::string> Calls() const;
  // The recorded calls of one function.
  std::vector<std::string> CallsOf(TKRAPIFunction function) const;
  int CountOf(TKRAPIFunction function) const;
  void ClearCalls();

  const TKRAPITable& Table() const { return table_; }

 private:
  template <TKRAPIFunction F, class Pointer>
  struct Trampoline;
  template <TKRAPIFunction F, class R, class... A>
  struct Trampoline<F, R (*)(A...)> {
    static R Call(A... arguments) {
      TKRFakeAPI& fake = *current_;
      std::string text;
      ((text += (text.empty() ? "" : ", ") + kr_fake_detail::FormatArgument(arguments)), ...);
      fake.Record(F, std::string(kAPIFunctionNames[size_t(F)]) + "(" + text + ")");
      const std::any& handler = fake.handlers_[size_t(F)];
      if (!handler.has_value()) return R();
      return std::any_cast<const std::function<R(A...)>&>(handler)(arguments...);
    }
  };

  void Record(TKRAPIFunction function, std::string text);

  struct TKRRecordedCall {
    TKRAPIFunction function;
    std::string text;
  };

  static TKRFakeAPI* current_;
  TKRAPITable table_;
  const TKRAPITable* previous_ = nullptr;
  std::array<std::any, kAPIFunctionCount> handlers_;
  mutable std::mutex mutex_;
  std::vector<TKRRecordedCall> calls_;
};
