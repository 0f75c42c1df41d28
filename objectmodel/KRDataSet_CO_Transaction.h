#pragma once
// TKRTransactionInterface (IKRTransaction): a plain transaction. Beside its
// child transactions it owns cursors and database services (its other
// dependents), and it has a name from its first use on: an unnamed one
// takes the braced text of a new GUID ("#" when none can be made).
//
// - It works in its parent's plan (its session's without a parent), and
//   whether it can commit is its own setting; changing that disconnects.
// - A data change it is told of while it can commit marks it modified until
//   its handle goes. Told that updates are available, a transaction that can
//   commit and is disconnected or modified lets them pass (its own pending
//   changes are not thrown away); otherwise it refreshes (with AutoUpdate)
//   and sends event 19.
// - Locks are asked for only when it connects and is not read-only.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_ReadWriteTransaction.h"

class TKRTransactionInterface final : public TKRReadWriteTransactionInterface<IKRTransaction> {
 public:
  TKRTransactionInterface();

  std::u16string Get_Name() override;
  bool Get_InActualPlan() override;
  bool Get_CanCommit() override;
  void Set_CanCommit(bool canCommit) override;
  void NotifyDataChange(IKRProxy* source, bool clearErrors) override;
  bool Get_HasDependents() override;

  ComPtr<IKRProxyList> Get_DBServices() override;
  ComPtr<IKRProxyList> Get_Cursors() override;
  bool LockDatabase(int32_t mode) override;
  bool LockClass(KSClassID classID, int32_t mode) override;
  bool Get_AutoUpdate() override;
  void Set_AutoUpdate(bool autoUpdate) override;
  void NotifyUpdatesAvailable() override;
  int32_t Get_ClusterID() override;
  void Set_ClusterID(int32_t clusterID) override;

 protected:
  void ReleaseHandle() override;
  void DisconnectDependents() override;
  void ReleaseDependents() override;

 private:
  // Connected and not read-only: locks may be asked for.
  bool CanLock();

  ComPtr<IKRProxyList> FCursors;
  ComPtr<IKRProxyList> FDBServices;
  bool FCanCommit = true;
  bool FAutoUpdate = true;
  bool FModified = false;
  int32_t FClusterID = kKRNoCluster;
};
