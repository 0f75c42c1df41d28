#include "objectmodel/KRDataSet_CO_Scenario.h"

bool TKRScenarioInterface::Get_Persistent() {
  return Guard([&] { return FPersistent; });
}

bool TKRScenarioInterface::Get_InActualPlan() {
  return Guard([] { return false; });
}

bool TKRScenarioInterface::Get_CanCommit() {
  return Guard([] { return true; });
}

std::u16string TKRScenarioInterface::Get_Description() {
  return Guard([&] { return FDescription; });
}

void TKRScenarioInterface::Set_Description(const std::u16string& description) {
  Guard([&] {
    if (description == FDescription) return;
    FDescription = description;
    if (CheckConnected()) {
      KRAPI().KSSetDescription(FHandle, ConvertWideStringToAPIString(FDescription));
    }
  });
}

int32_t TKRScenarioInterface::Get_Visibility() {
  return Guard([&] { return FVisibility; });
}

void TKRScenarioInterface::Set_Visibility(int32_t visibility) {
  Guard([&] {
    if (visibility != FVisibility && !Get_Connected()) FVisibility = visibility;
  });
}

void TKRScenarioInterface::InternalRollback() {
  struct Restore {
    bool& persistent;
    ~Restore() { persistent = true; }
  } restore{FPersistent};
  FPersistent = false;
  TKRReadWriteTransactionInterface::InternalRollback();
}

int32_t TKRScenarioInterface::SetCreationFlags(int32_t flags) {
  switch (FVisibility) {
    case krsvPrivate:
      return flags | krtcfPrivate;
    case krsvRestricted:
      return flags | krtcfProtected;
    default:
      return flags;
  }
}
