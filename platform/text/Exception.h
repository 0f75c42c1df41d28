#pragma once
// The runtime's exception family. Every exception raised inside a layer
// derives from Exception; its class name and the names of its ancestors can be
// asked at run time, because callers classify exceptions by class name.

#include <exception>
#include <string>
#include <string_view>

// Run-time description of one exception class: its name and its parent.
struct ExceptionClass {
  const char* name;
  const ExceptionClass* parent;
};

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

  static const ExceptionClass& StaticClass() {
    static const ExceptionClass c{"Exception", nullptr};
    return c;
  }
  virtual const ExceptionClass& Class() const { return StaticClass(); }
  std::string ClassName() const { return Class().name; }
  // True when this exception's class or one of its ancestors has that name
  // (compared without regard to ASCII case, as class names are).
  bool InheritsFrom(std::string_view className) const;

 private:
  std::string message_;
};

// True when `cls` or one of its ancestors is named `className`.
bool ClassInheritsFrom(const ExceptionClass& cls, std::string_view className);

// Declares an exception class `Name` deriving from `Base`, with the base's
// constructors and its own run-time class description.
#define KR_DECLARE_EXCEPTION(Name, Base)                                  \
  class Name : public Base {                                              \
   public:                                                                \
    using Base::Base;                                                     \
    static const ExceptionClass& StaticClass() {                          \
      static const ExceptionClass c{#Name, &Base::StaticClass()};         \
      return c;                                                           \
    }                                                                     \
    const ExceptionClass& Class() const override { return StaticClass(); } \
  }

// Raised to end an operation silently (no message is shown for it).
KR_DECLARE_EXCEPTION(EAbort, Exception);
// Raised when text cannot be converted to a number, date or time.
KR_DECLARE_EXCEPTION(EConvertError, Exception);
