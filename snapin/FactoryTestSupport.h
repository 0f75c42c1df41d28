#pragma once
// Test classes for the factory tests: a server whose type library declares
// a plain test class and two whose construction fails.

#include <new>

#include "platform/com/Unknown.h"
#include "platform/text/Exception.h"
#include "snapin/ComServer.h"

inline constexpr IID IID_ITestThing = GuidLiteral("{2D7F1A60-8C3E-4B5A-A1D2-3E4F5A6B7C80}");
inline constexpr CLSID CLSID_TestThing = GuidLiteral("{2D7F1A61-8C3E-4B5A-A1D2-3E4F5A6B7C80}");
inline constexpr CLSID CLSID_FailingThing = GuidLiteral("{2D7F1A62-8C3E-4B5A-A1D2-3E4F5A6B7C80}");
inline constexpr CLSID CLSID_HugeThing = GuidLiteral("{2D7F1A63-8C3E-4B5A-A1D2-3E4F5A6B7C80}");
inline constexpr GUID LIBID_TestLib = GuidLiteral("{2D7F1A64-8C3E-4B5A-A1D2-3E4F5A6B7C80}");

struct ITestThing : IUnknown {
  static constexpr const IID& kIID = IID_ITestThing;
  virtual int Answer() = 0;

 protected:
  ~ITestThing() = default;
};

class TTestThing : public ComObject<ITestThing> {
 public:
  int Answer() override { return 42; }
};

class TFailingThing : public TTestThing {
 public:
  TFailingThing() { throw Exception("construction fails"); }
};

class THugeThing : public TTestThing {
 public:
  THugeThing() { throw std::bad_alloc(); }
};

// Library "TestLib" 1.10 declaring the three classes.
inline TTypeLibrary TestLibrary() {
  return {LIBID_TestLib,
          1,
          10,
          0,
          "TestLib",
          "Test Library",
          {},
          {{CLSID_TestThing, "TTestThing", "Test Thing Object"},
           {CLSID_FailingThing, "TFailingThing", "Failing"},
           {CLSID_HugeThing, "THugeThing", "Huge"}}};
}

inline const std::string kTestClassKey = "CLSID\\{2D7F1A61-8C3E-4B5A-A1D2-3E4F5A6B7C80}";
