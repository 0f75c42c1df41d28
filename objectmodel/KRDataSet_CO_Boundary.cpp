#include "objectmodel/KRDataSet_CO_Boundary.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "platform/com/OleErrors.h"
#include "platform/text/Utf.h"
#include "support/KRUtilFunctions_UNT.h"

namespace {

// The innermost outermost scope of the thread; none outside every method.
thread_local const kr_boundary_detail::TKRBoundaryScope* gInnermostScope = nullptr;

std::string Demangle(const char* mangled) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

// "$" and the address in hexadecimal, as wide as a pointer.
std::string AddressText(const void* address) {
  char text[2 + 2 * sizeof(void*) + 1];
  std::snprintf(text, sizeof(text), "$%0*zX", int(2 * sizeof(void*)), size_t(address));
  return text;
}

struct TKRCaughtFailure {
  std::string className;
  std::string message;
  const void* address = nullptr;
  bool silent = false;
  HRESULT result = E_UNEXPECTED;
};

// Describes the exception being handled.
TKRCaughtFailure DescribeCurrentException() {
  TKRCaughtFailure failure;
  try {
    throw;
  } catch (const Exception& e) {
    failure.className = e.ClassName();
    failure.message = e.Message();
    failure.address = &e;
    failure.silent = IsSilentException(e);
    const auto* oleError = dynamic_cast<const EOleSysError*>(&e);
    if (oleError != nullptr && FAILED(oleError->ErrorCode()))
      failure.result = oleError->ErrorCode();
  } catch (const std::exception& e) {
    failure.className = TypeDisplayName(typeid(e));
    failure.message = AddressText(&e);
    failure.address = &e;
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) failure.result = E_OUTOFMEMORY;
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    failure.className = type != nullptr ? TypeDisplayName(*type) : std::string("unknown");
    failure.message = AddressText(nullptr);
  }
  if (failure.silent) failure.result = kSilentExceptionErrorCode;
  return failure;
}

OleVariant FailureData(const TKRCaughtFailure& failure, const std::type_info& objectType) {
  return OleVariant::ArrayOf({
      OleVariant(Utf8ToUtf16(failure.className)),
      OleVariant(Utf8ToUtf16(failure.message)),
      OleVariant(int64_t(reinterpret_cast<intptr_t>(failure.address))),
      OleVariant(Utf8ToUtf16(TypeDisplayName(objectType))),
      OleVariant(failure.silent),
  });
}

}  // namespace

std::string TypeDisplayName(const std::type_info& type) { return Demangle(type.name()); }

kr_boundary_detail::TKRBoundaryScope::TKRBoundaryScope(const void* object) : object_(object) {
  for (const TKRBoundaryScope* scope = gInnermostScope; scope != nullptr; scope = scope->outer_) {
    if (scope->object_ == object) {
      outermost_ = false;
      return;
    }
  }
  outer_ = gInnermostScope;
  gInnermostScope = this;
}

kr_boundary_detail::TKRBoundaryScope::~TKRBoundaryScope() {
  if (outermost_) gInnermostScope = outer_;
}

void kr_boundary_detail::RaiseAtInterface(const std::type_info& objectType,
                                          TKRFailureReporter* reporter) {
  const TKRCaughtFailure failure = DescribeCurrentException();
  if (reporter != nullptr) {
    try {
      OleVariant data = FailureData(failure, objectType);
      reporter->ReportInterfaceFailure(data);
    } catch (...) {
      // A handler failing while the failure is reported must not replace it.
    }
  }
  if (failure.silent) throw EOleSysError(failure.message, failure.result);
  throw EOleException(failure.message, failure.result, TypeDisplayName(objectType));
}
