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

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_RootTransaction.h"
#include "objectmodel/KRDataSet_CO_Transactions_Interface.h"

template <class I = IKRReadWriteTransaction>
class TKRReadWriteTransactionInterface : public TKRBaseTransactionInterface<I> {
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

  bool IsLinkedTo(IKRBaseTransaction* transaction) override;
  bool Get_Isolated() override;
  void Set_Isolated(bool isolated) override;
  void NotifyDataChange(IKRProxy* source, bool clearErrors) override;
  bool Get_CanCommit() override;
  void Set_CanCommit(bool canCommit) override;
  bool Get_RestartOnErrors() override;
  void Set_RestartOnErrors(bool restart) override;

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

  enum TKRReadOnlyState : uint8_t { krosUnknown = 0, krosReadOnly = 1, krosReadWrite = 2 };

  bool FReadOnlyRequested = false;
  TKRReadOnlyState FReadOnlyState = krosUnknown;
  std::u16string FName;
  bool FIsolated = false;
  bool FRestartOnErrors = true;

 private:
  // Starts the transaction `name` under its connected parent (see above).
  void StartTransaction(IKRBaseTransaction& parent, const std::u16string& name);
};

extern template class TKRReadWriteTransactionInterface<IKRReadWriteTransaction>;
extern template class TKRReadWriteTransactionInterface<IKRScenario>;
extern template class TKRReadWriteTransactionInterface<IKRTransaction>;
