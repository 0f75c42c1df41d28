#include "dataset/KRDataSet_CMP_Condition.h"

#include <utility>

bool IsAPIConditionOperator(int64_t value) {
  return value >= krapicoLess && value <= krapicoGreater;
}

TKRAPICondition::~TKRAPICondition() { Reset(); }

TKRAPICondition::TKRAPICondition(TKRAPICondition&& other) noexcept
    : FHandle(std::exchange(other.FHandle, 0)) {}

TKRAPICondition& TKRAPICondition::operator=(TKRAPICondition&& other) noexcept {
  if (this != &other) {
    Reset();
    FHandle = std::exchange(other.FHandle, 0);
  }
  return *this;
}

KSHandle TKRAPICondition::Detach() { return std::exchange(FHandle, 0); }

void TKRAPICondition::Reset() {
  // The table that made the handle is still in place: KRAPI() answers it at once.
  if (FHandle != 0) KRAPI().KSReleaseCondition(std::exchange(FHandle, 0));
}
