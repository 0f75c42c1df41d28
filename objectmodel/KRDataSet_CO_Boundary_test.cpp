#include "objectmodel/KRDataSet_CO_Boundary.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <thread>

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

// An object that counts the failures reported at its interface.
class TCounting : public TKRFailureReporter {
 public:
  virtual ~TCounting() = default;

  template <class Body>
  decltype(auto) Method(Body&& body) {
    return RunAtInterface(this, this, std::forward<Body>(body));
  }
  void ReportInterfaceFailure(OleVariant&) override { ++reports; }

  int reports = 0;
};

TEST(InterfaceBoundaryTest, EachObjectIsABoundaryOnceInAChainOfCalls) {
  TCounting a, b;
  // a calls b, which calls a again: the inner call on a is no boundary, b
  // is one, and so is the outer call on a.
  EXPECT_THROW(a.Method([&] { b.Method([&] { a.Method([] { throw EConvertError("x"); }); }); }),
               EOleException);
  EXPECT_EQ(a.reports, 1);
  EXPECT_EQ(b.reports, 1);
  // Leaving the calls, in order or through a failure, ends their scopes.
  EXPECT_THROW(b.Method([] { throw EConvertError("y"); }), EOleException);
  EXPECT_EQ(b.reports, 2);
  a.Method([&] { b.Method([] {}); });
  EXPECT_THROW(a.Method([] { throw EConvertError("z"); }), EOleException);
  EXPECT_EQ(a.reports, 2);
}

TEST(InterfaceBoundaryTest, AnotherThreadEntersAnObjectAsABoundaryOfItsOwn) {
  TCounting object;
  std::string caught;
  object.Method([&] {
    std::thread other([&] {
      try {
        object.Method([] { throw EConvertError("there"); });
      } catch (const EOleException& e) {
        caught = std::string(e.ClassName());
      } catch (...) {
        caught = "unconverted";
      }
    });
    other.join();
  });
  EXPECT_EQ(caught, "EOleException");
  EXPECT_EQ(object.reports, 1);
}

TEST(InterfaceBoundaryTest, TypeDisplayNameIsReadable) {
  EXPECT_EQ(TypeDisplayName(typeid(EOleSysError)), "EOleSysError");
  EXPECT_EQ(TypeDisplayName(typeid(TPlain)), "(anonymous namespace)::TPlain");
}

}  // namespace
