#pragma once
// The interfaces of the transactions below a session's root, each extending
// the one before it: IKRReadWriteTransaction (a transaction that may change
// data and be committed into its parent), and its two kinds, IKRScenario (a
// persistent transaction that survives its handle, with a description and a
// visibility) and IKRTransaction (a plain transaction, which also owns
// cursors and database services). See KRDataSet_CO_ReadWriteTransaction.h.

#include <cstdint>
#include <string>

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

  // True when `transaction` is this one or lies below it.
  virtual bool IsLinkedTo(IKRBaseTransaction* transaction) = 0;
  // An isolated transaction is started read-only.
  virtual bool Get_Isolated() = 0;
  virtual void Set_Isolated(bool isolated) = 0;
  // Tells the plain child transactions other than `source` (and other than
  // those of the source's cluster) that updates are available, then sends
  // event 5. `source` is the proxy that changed data (a transaction or a
  // cursor), or none.
  virtual void NotifyDataChange(IKRProxy* source, bool clearErrors) = 0;
  // Whether the transaction is started with intent to commit.
  virtual bool Get_CanCommit() = 0;
  virtual void Set_CanCommit(bool canCommit) = 0;
  // Whether a conflict at commit restarts the transaction.
  virtual bool Get_RestartOnErrors() = 0;
  virtual void Set_RestartOnErrors(bool restart) = 0;
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
