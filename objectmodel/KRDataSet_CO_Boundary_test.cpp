#include "objectmodel/KRDataSet_CO_Boundary.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "platform/com/OleErrors.h"
#include "support/KRUtilFunctions_UNT.h"

namespace {

// An object with interface methods but no failure reporter.
class TPlain {
 public:
  virtual ~TPlain() = default;

  template <class Body>
  decltype(auto) Method(Body&& body) {
    return RunAtInterface(this, nullptr, std::forward<Body>(body));
  }
};

HRESULT ResultOf(TPlain& object, const std::function<void()>& body) {
  try {
    object.Method(body);
  } catch (const EOleSysError& e) {
    return e.ErrorCode();
  }
  return S_OK;
}

TEST(InterfaceBoundaryTest, ResultsPassThrough) {
  TPlain object;
  EXPECT_EQ(object.Method([] { return 42; }), 42);
  std::string text = "abc";
  std::string& same = object.Method([&]() -> std::string& { return text; });
  EXPECT_EQ(&same, &text);
}

TEST(InterfaceBoundaryTest, ErrorResultsByKindOfException) {
  TPlain object;
  EXPECT_EQ(ResultOf(object, [] { throw EConvertError("x"); }), E_UNEXPECTED);
  EXPECT_EQ(ResultOf(object, [] { throw EOleSysError("x", E_INVALIDARG); }), E_INVALIDARG);
  EXPECT_EQ(ResultOf(object, [] { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(ResultOf(object, [] { throw 7; }), E_UNEXPECTED);
  EXPECT_EQ(ResultOf(object, [] { throw EAbort(""); }), kSilentExceptionErrorCode);
  EXPECT_EQ(ResultOf(object, [] { throw EOleSysError("", kSilentExceptionErrorCode); }),
            kSilentExceptionErrorCode);
}

TEST(InterfaceBoundaryTest, ANonFailureCodeNeverReachesTheCallerAsSuccess) {
  TPlain object;
  EXPECT_EQ(ResultOf(object, [] { throw EOleSysError("odd", S_FALSE); }), E_UNEXPECTED);
}

TEST(InterfaceBoundaryTest, ANestedCallOnTheSameObjectPassesItsExceptionOn) {
  TPlain object;
  bool innerSawOriginal = false;
  try {
    object.Method([&] {
      try {
        object.Method([] { throw EConvertError("inner"); });
      } catch (const EConvertError&) {
        innerSawOriginal = true;
        throw;
      }
    });
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message(), "inner");
  }
  EXPECT_TRUE(innerSawOriginal);
  // After the failure the object is a boundary again.
  EXPECT_THROW(object.Method([] { throw EConvertError("again"); }), EOleException);
}

TEST(InterfaceBoundaryTest, TypeDisplayNameIsReadable) {
  EXPECT_EQ(TypeDisplayName(typeid(EOleSysError)), "EOleSysError");
  EXPECT_EQ(TypeDisplayName(typeid(TPlain)), "(anonymous namespace)::TPlain");
}

}  // namespace
