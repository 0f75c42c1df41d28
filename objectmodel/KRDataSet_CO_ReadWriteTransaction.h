#pragma once
// TKRReadWriteTransactionInterface<I>: a transaction below the session's
// root that may change data. I is IKRReadWriteTransaction or one of its
// kinds (IKRScenario, IKRTransaction), the only instantiations.
//
// - Its parent is a transaction (Set_ParentTransaction files it in the
//   parent's Transactions); its session and level come from there (level 0
//   without a parent, else the parent's + 1).
// - Connecting: a persistent transaction is first looked up by name
//   (KSFindTransaction) and reused; otherwise it is started under the
//   connected parent with creation flags: persistent (never read-only), or
//   read-only when asked, isolated, or when it could commit but its parent
//   is a read-only transaction that is not persistent; with intent to
//   commit when it can commit (a persistent one below level 2 never), plus
//   the bits of SetCreationFlags. A refused read-write start is tried once
//   more read-only without intent to commit. The library's grant of
//   read-only (KS_READ_ONLY_GRANTED) counts as obtained read-only; the
//   obtained state is kept with SetReadOnlyObtained (event 12 on a change).
//   A failed start keeps the library's reason in LastError. The handle
//   carries the proxy as user data.
// - Releasing rolls a transaction that is not persistent back first.
// - Changing the name, or the read-only request when that changes what
//   Get_ReadOnly answers, disconnects first.
// - Committing (KRDataSet_CO_ReadWriteTransaction_Commit.cpp) commits the
//   read-write children first; a child left with errors keeps the
//   transaction from committing (level 2, still connected). The own commit
//   disconnects the dependents, then commits (or rolls back a read-only
//   transaction or one without intent to commit), with progress reported
//   from the library's thread through the reception window and handled
//   before the call returns. A conflict restarts the transaction (level 3,
//   still connected, the next refresh neither reconnects nor tells) unless
//   it has children (level 2). Every other outcome disconnects it; a
//   committed one tells its read-write parent of the data change.
// - The error list (KRDataSet_CO_ReadWriteTransaction_Errors.cpp) holds the
//   library's errors of the last commit and the program's own; a refresh
//   empties it unless a commit runs.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_RootTransaction.h"
#include "objectmodel/KRDataSet_CO_Transactions_Interface.h"

// Calls X(I) for every interface the read-write transactions implement;
// their members are instantiated explicitly, file by file.
#define KR_FOR_EACH_READ_WRITE_KIND(X) \
  X(IKRReadWriteTransaction)           \
  X(IKRScenario)                       \
  X(IKRTransaction)

template <class I = IKRReadWriteTransaction>
class TKRReadWriteTransactionInterface : public TKRBaseTransactionInterface<I>,
                                         public TKRCommitProgressReceiver {
  static_assert(std::is_base_of_v<IKRReadWriteTransaction, I>);

 public:
  ComPtr<IKRSession> Get_Session() override;
  bool Get_ReadOnly() override;
  void Set_ReadOnly(bool readOnly) override;
  ComPtr<IKRBaseTransaction> Get_ParentTransaction() override;
  void Set_ParentTransaction(IKRBaseTransaction* parent) override;
  std::u16string Get_Name() override;
  void Set_Name(const std::u16string& name) override;
  int32_t Get_Level() override;
  void InternalRefresh() override;

  bool Rollback(bool refresh) override;
  bool Commit(bool refresh, bool withProgress) override;
  int32_t Get_ErrorCount() override;
  void CreateNNLink(const std::u16string& fieldName, KSRecordID id1, KSRecordID id2) override;
  void DestroyNNLink(const std::u16string& fieldName, KSRecordID id1, KSRecordID id2) override;
  bool IsLinkedTo(IKRBaseTransaction* transaction) override;
  bool DoBeforeRollback() override;
  bool DoBeforeCommit() override;
  void DoAfterRollback() override;
  void DoAfterCommit(bool success) override;
  int32_t InternalCommit(bool withProgress) override;
  void DeleteAllRecords(KSClassID classID) override;
  bool Get_Isolated() override;
  void Set_Isolated(bool isolated) override;
  bool Get_OnlyWarnings() override;
  bool RefreshErrors(bool notify) override;
  bool ClearErrors(bool notify) override;
  ComPtr<IKRDBError> Get_Errors(int32_t index) override;
  void NotifyDataChange(IKRProxy* source, bool clearErrors) override;
  bool Get_CanCommit() override;
  void Set_CanCommit(bool canCommit) override;
  int32_t Get_CommitProgressPercentage() override;
  void DoUpdateCommitProgress() override;
  bool Get_RestartOnErrors() override;
  void Set_RestartOnErrors(bool restart) override;
  void NotifyErrorCountChange() override;
  ComPtr<IKRDBError> AddError(int32_t rscStringID, int32_t severity, const OleVariant& arguments,
                              bool notify) override;
  std::u16string Get_CommitProgressText() override;
  bool AddNewErrors(bool notify) override;
  void HandleBeforeCommitErrors() override;

  // The library's progress report, on the transaction's own thread (through
  // the commit-progress reception manager): the finished report counts as
  // 100 % without text. Then DoUpdateCommitProgress.
  void CommitProgressCallback(int32_t percentage, const std::u16string& text,
                              bool finished) override;

  // Keeps the read-only state the server granted: nothing while the state
  // is unknown and `readOnly` is what was requested; otherwise the state
  // becomes obtained read-only or read-write, and a change of it sends
  // event 12 with `readOnly`.
  void SetReadOnlyObtained(bool readOnly);

 protected:
  TKRReadWriteTransactionInterface() = default;

  void AssignHandle() override;
  void ReleaseHandle() override;
  // The creation flags with the bits a kind of transaction adds.
  virtual int32_t SetCreationFlags(int32_t flags) { return flags; }
  // Whether every read-write child agrees to commit (asked in order, up to
  // the first refusal).
  virtual bool GetIsReadyToCommit();
  // Drops the changes: disconnects (which rolls back), then the errors.
  virtual void InternalRollback();

  // The read-write parent, or none.
  ComPtr<IKRReadWriteTransaction> ReadWriteParent() {
    return ProxyAs<IKRReadWriteTransaction>(this->FParent.Get());
  }
  // Calls action on every read-write child still in the list, in order.
  template <class Action>
  void ForEachReadWriteChild(Action&& action) {
    this->ForEachChild([&](IKRBaseTransaction& child) {
      if (const auto readWrite = ProxyAs<IKRReadWriteTransaction>(&child)) action(*readWrite);
    });
  }

  enum TKRReadOnlyState : uint8_t { krosUnknown = 0, krosReadOnly = 1, krosReadWrite = 2 };

  bool FReadOnlyRequested = false;
  TKRReadOnlyState FReadOnlyState = krosUnknown;
  std::u16string FName;
  bool FIsolated = false;
  int32_t FCommitProgressPercentage = 0;
  std::u16string FCommitProgressText;
  bool FRestartOnErrors = true;
  bool FCommitting = false;

 private:
  // Starts the transaction `name` under its connected parent (see above).
  void StartTransaction(IKRBaseTransaction& parent, const std::u16string& name);
  // The own commit once the children committed at `level` (0 or 1).
  int32_t CommitOwnChanges(int32_t level, bool withProgress);
  // KSCommit, with the progress reception around it when asked for.
  KSStatus CallCommit(bool withProgress);
  // Connected and not read-only: the data operations may ask the library.
  bool MayWrite();
  // Links or unlinks through the library's `call` when the transaction may
  // write; a change done is a data change.
  using TKRLinkCall = decltype(&KSCreateNewLink);
  void ChangeLink(TKRLinkCall call, const std::u16string& fieldName, KSRecordID id1,
                  KSRecordID id2);
  // The own error list, created when missing.
  std::vector<ComPtr<IKRDBError>>& OwnErrors();

  // Created on first use; dropped when emptied.
  std::unique_ptr<std::vector<ComPtr<IKRDBError>>> FErrors;
};

#define KR_DECLARE_READ_WRITE_KIND(I) extern template class TKRReadWriteTransactionInterface<I>;
KR_FOR_EACH_READ_WRITE_KIND(KR_DECLARE_READ_WRITE_KIND)
#undef KR_DECLARE_READ_WRITE_KIND
