#pragma once
// Database API conditions as the data-set layer builds them.
//
// TKRAPICondition owns one condition handle (0: no condition) and releases it
// with KSReleaseCondition when it goes, so that a condition is never leaked
// when building a larger one fails half-way. Handing a handle to a call that
// takes it over (KSMakeANDConditions, KSMakeORConditions,
// KSMakeContainsFieldAsCondition once they answer a new handle) is done
// with Detach. A caller that only uses a condition (KSSetFilterCondition,
// KSGotoFirstMatch, KSDestroyAll) passes Get() and lets the owner release it.

#include <cstdint>

#include "objectmodel/KRAPI_UNT.h"

// The comparison of a field condition: field <operator> value.
enum TKRAPIConditionOperator : int32_t {
  krapicoLess = 0,
  krapicoLessOrEqual = 1,
  krapicoEqual = 2,
  krapicoNotEqual = 3,
  krapicoGreaterOrEqual = 4,
  krapicoGreater = 5,
};
// What a field condition's value is: a value of the field's type, a regular
// expression the field's text must match, or the name of another field.
enum TKRAPICompareAgainst : int32_t {
  krapicmpaValue = 0,
  krapicmpaRegularExpression = 1,
  krapicmpaField = 2,
};

// True when `value` is one of the operators above.
bool IsAPIConditionOperator(int64_t value);

class TKRAPICondition {
 public:
  TKRAPICondition() = default;
  // Takes over `handle` (0 for none).
  explicit TKRAPICondition(KSHandle handle) : FHandle(handle) {}
  ~TKRAPICondition();
  TKRAPICondition(TKRAPICondition&& other) noexcept;
  TKRAPICondition& operator=(TKRAPICondition&& other) noexcept;
  TKRAPICondition(const TKRAPICondition&) = delete;
  TKRAPICondition& operator=(const TKRAPICondition&) = delete;

  KSHandle Get() const { return FHandle; }
  bool IsEmpty() const { return FHandle == 0; }
  // Hands the handle to the caller, who releases it (or a call takes it over).
  [[nodiscard]] KSHandle Detach();

 private:
  void Reset();

  KSHandle FHandle = 0;
};
