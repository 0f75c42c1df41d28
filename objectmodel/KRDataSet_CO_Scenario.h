#pragma once
// TKRScenarioInterface (IKRScenario): a persistent transaction. It may
// commit, works outside the actual plan, and is found again by name when it
// exists (its handle's release keeps it). Its visibility becomes a creation
// flag (private 0x1000, restricted 0x2000) and so only reaches a scenario
// that this proxy starts: set it before anything connects the proxy, since
// setting a description connects it. A rollback removes the scenario: it
// counts as not persistent while it is released.

#include <string>

#include "objectmodel/KRDataSet_CO_ReadWriteTransaction.h"

class TKRScenarioInterface final : public TKRReadWriteTransactionInterface<IKRScenario> {
 public:
  TKRScenarioInterface() = default;

  bool Get_Persistent() override;
  bool Get_InActualPlan() override;
  bool Get_CanCommit() override;

  std::u16string Get_Description() override;
  void Set_Description(const std::u16string& description) override;
  int32_t Get_Visibility() override;
  void Set_Visibility(int32_t visibility) override;

 protected:
  int32_t SetCreationFlags(int32_t flags) override;
  void InternalRollback() override;

 private:
  bool FPersistent = true;
  std::u16string FDescription;
  int32_t FVisibility = krsvUnset;
};
