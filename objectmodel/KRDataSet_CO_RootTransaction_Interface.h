#pragma once
// IKRBaseTransaction: what every transaction proxy offers after IKRProxy, in
// this order. A session owns one root transaction; transactions form a tree
// of parents and child transactions (Transactions), and refresh, lookup and
// identifier re-mapping visit the children first, in list order.

#include <cstdint>
#include <string>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"

struct IKRSession;

inline constexpr IID IID_IKRBaseTransaction = GuidLiteral("5D59C38D-C434-4803-9597-C423204D50D4");

inline constexpr KSRecordID kKRNullRecordID = -1;
inline constexpr KSClassID kKRNullClassID = -1;

struct IKRBaseTransaction : IKRProxy {
  static constexpr const IID& kIID = IID_IKRBaseTransaction;
  using BaseInterface = IKRProxy;

  virtual ComPtr<IKRSession> Get_Session() = 0;
  virtual void Set_Session(IKRSession* session) = 0;
  virtual bool Get_ReadOnly() = 0;
  virtual void Set_ReadOnly(bool readOnly) = 0;
  virtual ComPtr<IKRBaseTransaction> Get_ParentTransaction() = 0;
  virtual void Set_ParentTransaction(IKRBaseTransaction* parent) = 0;
  virtual ComPtr<IKRProxyList> Get_Transactions() = 0;
  virtual void Refresh() = 0;
  // The last transaction reached through the parents (itself without one).
  virtual ComPtr<IKRBaseTransaction> Get_TopMostParentTransaction() = 0;
  virtual void InternalRefresh() = 0;
  virtual void DoAfterRefresh() = 0;
  virtual void DoBeforeRefresh() = 0;
  // Whether the record's class is classID or one of its descendants.
  virtual bool IsA(KSClassID classID, KSRecordID id) = 0;
  virtual std::u16string Get_Name() = 0;
  virtual void Set_Name(const std::u16string& name) = 0;
  // This transaction or the first descendant (children first, in list
  // order) whose name equals `name`; none when there is none.
  virtual ComPtr<IKRBaseTransaction> FindTransaction(const std::u16string& name) = 0;
  virtual int32_t Get_Level() = 0;
  // The class of a record, kKRNullClassID when it is not found.
  virtual KSClassID GetClassID(KSRecordID id) = 0;
  virtual bool Get_InActualPlan() = 0;
  virtual bool Get_Persistent() = 0;
  virtual void RemapID(KSRecordID oldID, KSRecordID newID) = 0;
};
