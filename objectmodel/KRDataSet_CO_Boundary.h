#pragma once
// The interface boundary. Every implementation of an interface method of the
// object model runs its body through RunAtInterface, usually through the
// Guard of TKRAutoIntfObject, the base of the object model's COM objects:
//
//   bool Get_Connected() override { return Guard([&] { return FHandle != 0; }); }
//
// An exception leaving the body is caught there. The object's failure
// reporter (if any) receives the failure data (five elements: exception
// class name, message, exception address, the object's class name, whether
// the exception is silent), and the caller receives the failure as
//   - EOleSysError with code kSilentExceptionErrorCode for a silent exception,
//   - EOleException with the error result and the message otherwise: the
//     code of an EOleSysError that carries a failure code, E_OUTOFMEMORY for
//     an exhausted allocation, E_UNEXPECTED for anything else.
// No other exception leaves an interface method. A call that reaches the
// same object again while one of its interface methods runs on the thread
// (the object calling its own interface methods) is not a boundary: its
// exceptions pass to the outer call, so each failure is reported once per
// object it crosses.

#include <typeinfo>
#include <utility>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

// Where an object's failures caught at its interface are reported.
class TKRFailureReporter {
 public:
  // Called with the five-element failure data before the caller sees the
  // failure; whatever it raises is dropped.
  virtual void ReportInterfaceFailure(OleVariant& data) = 0;

 protected:
  ~TKRFailureReporter() = default;
};

namespace kr_boundary_detail {

// Marks an object as running an interface method on this thread. The
// outermost scopes of a thread form a chain through the stack (innermost
// first), so that entering and leaving a method neither allocates nor takes
// a reference.
class TKRBoundaryScope {
 public:
  explicit TKRBoundaryScope(const void* object);
  ~TKRBoundaryScope();
  TKRBoundaryScope(const TKRBoundaryScope&) = delete;
  TKRBoundaryScope& operator=(const TKRBoundaryScope&) = delete;
  bool IsOutermost() const { return outermost_; }

 private:
  const void* object_;
  const TKRBoundaryScope* outer_ = nullptr;
  bool outermost_ = true;
};

// Converts the exception being handled as described above; never returns.
[[noreturn]] void RaiseAtInterface(const std::type_info& objectType, TKRFailureReporter* reporter);

}  // namespace kr_boundary_detail

// Runs body as an interface method of `self` (a polymorphic object).
template <class Self, class Body>
decltype(auto) RunAtInterface(Self* self, TKRFailureReporter* reporter, Body&& body) {
  kr_boundary_detail::TKRBoundaryScope scope(dynamic_cast<const void*>(self));
  if (!scope.IsOutermost()) return std::forward<Body>(body)();
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    kr_boundary_detail::RaiseAtInterface(typeid(*self), reporter);
  }
}

// The readable name of a C++ type ("TKRServerInterface").
std::string TypeDisplayName(const std::type_info& type);

// The base of the object model's automation objects: a COM object offering
// `Interfaces` whose interface methods run their bodies through Guard.
// Objects that report their failures (proxies) answer a reporter.
template <class... Interfaces>
class TKRAutoIntfObject : public ComObject<Interfaces...> {
 protected:
  TKRAutoIntfObject() = default;

  template <class Body>
  decltype(auto) Guard(Body&& body) {
    return RunAtInterface(this, FailureReporter(), std::forward<Body>(body));
  }
  // Where failures caught at this object's interface are reported; none.
  virtual TKRFailureReporter* FailureReporter() { return nullptr; }
};
