#pragma once
// The interfaces of the transactions below a session's root, each extending
// the one before it: IKRReadWriteTransaction (a transaction that may change
// data and be committed into its parent), and its two kinds, IKRScenario (a
// persistent transaction that survives its handle, with a description and a
// visibility) and IKRTransaction (a plain transaction, which also owns
// cursors and database services). See KRDataSet_CO_ReadWriteTransaction.h.

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_Errors.h"
#include "objectmodel/KRDataSet_CO_RootTransaction_Interface.h"

inline constexpr IID IID_IKRReadWriteTransaction =
    GuidLiteral("B3044B09-5BE2-4185-9839-BF125FDFD762");
inline constexpr IID IID_IKRScenario = GuidLiteral("D0B7FED2-1C7C-41AE-BFAB-EE693742906D");
inline constexpr IID IID_IKRTransaction = GuidLiteral("C94CCCFD-DE36-4588-B283-EED6B733D978");

// No cluster: a plain transaction that shares its changes with no sibling.
inline constexpr int32_t kKRNoCluster = 0;

// The bits of KSStartTransaction's flags that a transaction asks for.
enum TKRTransactionCreationFlag : int32_t {
  krtcfPersistent = 0x100,
  krtcfReadOnly = 0x200,
  krtcfWithoutIntentToCommit = 0x400,
  krtcfWithIntentToCommit = 0x800,
  krtcfPrivate = 0x1000,
  krtcfProtected = 0x2000,
};

// The outcome of a read-write transaction's commit (InternalCommit).
enum TKRCommitLevel : int32_t {
  krclCommitted = 0,  // committed, or nothing to do (not connected)
  krclWarnings = 1,   // committed; the errors reported are warnings only
  krclErrors = 2,     // not committed: errors, or a conflict below children
  krclRestarted = 3,  // a conflict: the server restarted the transaction
};

// The commit flags of KSCommit.
enum TKRCommitFlag : int32_t { krapicfNormal = 0, krapicfWithRestart = 1 };

// The texts a commit adds to the error list (resource string numbers).
inline constexpr int32_t kKRModificationsUndone = 10402;
inline constexpr int32_t kKRChangedElsewhere = 10403;

// Scenario visibilities, as the scenario form answers them.
enum TKRScenarioVisibility : int32_t {
  krsvUnset = 0,
  krsvPrivate = 1,
  krsvRestricted = 2,
  krsvPublic = 3,
};

struct IKRReadWriteTransaction : IKRBaseTransaction {
  static constexpr const IID& kIID = IID_IKRReadWriteTransaction;
  using BaseInterface = IKRBaseTransaction;

  // Undoes the changes (after event 9, which may veto: false); with
  // `refresh`, a connected transaction is refreshed. Event 10 always follows.
  virtual bool Rollback(bool refresh) = 0;
  // Commits the changes with those of the read-write children into the
  // parent; true when committed (warnings allowed). Not tried while errors
  // are listed; event 7 may veto; event 8 always follows a try. With
  // `refresh` the transaction is refreshed afterwards; with `withProgress`
  // events 13 tell the progress.
  virtual bool Commit(bool refresh, bool withProgress) = 0;
  // The errors of the transaction and of its read-write children.
  virtual int32_t Get_ErrorCount() = 0;
  // Links (unlinks) record id2 to id1 through the link field, unless the
  // transaction is read-only or disconnected; a change done sends event 5.
  virtual void CreateNNLink(const std::u16string& fieldName, KSRecordID id1, KSRecordID id2) = 0;
  virtual void DestroyNNLink(const std::u16string& fieldName, KSRecordID id1,
                             KSRecordID id2) = 0;
  // True when `transaction` is this one or lies below it.
  virtual bool IsLinkedTo(IKRBaseTransaction* transaction) = 0;
  // The rollback's and commit's hooks: DoBefore... asks the read-write
  // children (in order, up to a refusal), then its handlers (events 9 and
  // 7); DoAfter... tells the children, then the handlers (events 10, 8).
  virtual bool DoBeforeRollback() = 0;
  virtual bool DoBeforeCommit() = 0;
  virtual void DoAfterRollback() = 0;
  virtual void DoAfterCommit(bool success) = 0;
  // Commits the read-write children, then, when none failed, the own
  // changes: a TKRCommitLevel.
  virtual int32_t InternalCommit(bool withProgress) = 0;
  // Deletes every record of the class and its subclasses, unless the
  // transaction is read-only or disconnected; a change done sends event 5.
  virtual void DeleteAllRecords(KSClassID classID) = 0;
  // An isolated transaction is started read-only.
  virtual bool Get_Isolated() = 0;
  virtual void Set_Isolated(bool isolated) = 0;
  // True when no listed error has a severity above 0.
  virtual bool Get_OnlyWarnings() = 0;
  // Lists the library's errors afresh; true when their number changed.
  virtual bool RefreshErrors(bool notify) = 0;
  // Empties the lists; true when one held errors.
  virtual bool ClearErrors(bool notify) = 0;
  // The error at `index`: the children's first, child by child, then the
  // own; none outside 0..ErrorCount-1.
  virtual ComPtr<IKRDBError> Get_Errors(int32_t index) = 0;
  // Tells the plain child transactions other than `source` (and other than
  // those of the source's cluster) that updates are available, then sends
  // event 5; with `clearErrors` the errors go first. While committing only
  // the event is sent. `source` is the proxy that changed data (a
  // transaction or a cursor), or none.
  virtual void NotifyDataChange(IKRProxy* source, bool clearErrors) = 0;
  // Whether the transaction is started with intent to commit.
  virtual bool Get_CanCommit() = 0;
  virtual void Set_CanCommit(bool canCommit) = 0;
  // The commit's progress, 0..100: with children their average weighs
  // 90 %, the own figure 10 %.
  virtual int32_t Get_CommitProgressPercentage() = 0;
  // Sends event 13 with the progress, then tells the read-write parent.
  virtual void DoUpdateCommitProgress() = 0;
  // Whether a conflict at commit restarts the transaction.
  virtual bool Get_RestartOnErrors() = 0;
  virtual void Set_RestartOnErrors(bool restart) = 0;
  // Sends event 6, then tells a read-write parent that is not persistent.
  virtual void NotifyErrorCountChange() = 0;
  // Lists an error of the program's own (a resource string with
  // arguments).
  virtual ComPtr<IKRDBError> AddError(int32_t rscStringID, int32_t severity,
                                      const OleVariant& arguments, bool notify) = 0;
  virtual std::u16string Get_CommitProgressText() = 0;
  // Lists the errors the library reported for the last commit (the
  // children's first); true when some were added.
  virtual bool AddNewErrors(bool notify) = 0;
  // Called instead of a commit when errors are listed: the children's, then
  // the dependents' turn to show the records again.
  virtual void HandleBeforeCommitErrors() = 0;
};

struct IKRTransaction : IKRReadWriteTransaction {
  static constexpr const IID& kIID = IID_IKRTransaction;
  using BaseInterface = IKRReadWriteTransaction;

  virtual ComPtr<IKRProxyList> Get_DBServices() = 0;
  virtual ComPtr<IKRProxyList> Get_Cursors() = 0;
  // Takes (mode 1) or gives back (mode 0) a write lock on the database or a
  // class; true when the library granted it. False without asking when the
  // transaction cannot connect or is read-only.
  virtual bool LockDatabase(int32_t mode) = 0;
  virtual bool LockClass(KSClassID classID, int32_t mode) = 0;
  // Whether updates made elsewhere refresh the transaction.
  virtual bool Get_AutoUpdate() = 0;
  virtual void Set_AutoUpdate(bool autoUpdate) = 0;
  // Refreshes (with AutoUpdate) and sends event 19, unless the transaction
  // can commit and is disconnected or holds changes of its own.
  virtual void NotifyUpdatesAvailable() = 0;
  // Transactions of one cluster (not kKRNoCluster) see each other's changes
  // without being told of them.
  virtual int32_t Get_ClusterID() = 0;
  virtual void Set_ClusterID(int32_t clusterID) = 0;
};

struct IKRScenario : IKRReadWriteTransaction {
  static constexpr const IID& kIID = IID_IKRScenario;
  using BaseInterface = IKRReadWriteTransaction;

  // Setting a different description starts (or finds) the scenario and
  // sends the text to it.
  virtual std::u16string Get_Description() = 0;
  virtual void Set_Description(const std::u16string& description) = 0;
  // A TKRScenarioVisibility; it takes effect when the scenario is started,
  // so a change while connected is ignored.
  virtual int32_t Get_Visibility() = 0;
  virtual void Set_Visibility(int32_t visibility) = 0;
};
