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
// - Its cursors take part in the transaction's work after the child
//   transactions, in list order: a refresh refreshes them, each must agree
//   before a commit (up to the first refusal), errors found before a commit
//   refresh them instead, and they hear of the commit's end and of
//   re-mapped record IDs.

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
  void InternalRefresh() override;
  void RemapID(KSRecordID oldID, KSRecordID newID) override;
  void DoAfterCommit(bool success) override;
  void HandleBeforeCommitErrors() override;

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
  bool GetIsReadyToCommit() override;

 private:
  // Connected and not read-only: locks may be asked for.
  bool CanLock();
  // Calls action on every cursor still in the list, in order.
  template <class Action>
  void ForEachCursor(Action&& action);

  ComPtr<IKRProxyList> FCursors;
  ComPtr<IKRProxyList> FDBServices;
  bool FCanCommit = true;
  bool FAutoUpdate = true;
  bool FModified = false;
  int32_t FClusterID = kKRNoCluster;
};
