#pragma once
// The base of the transaction proxies and the session's root transaction.
//
// TKRBaseTransactionInterface<I>: what every transaction shares: the list of
// child transactions (its dependents), refresh (children first: before
// refresh, reconnect unless restarted, internal refresh, after refresh, with
// events 1 and 2 unless restarted), lookup by name, the record's class and
// identifier re-mapping. A plain base transaction has no session, no parent
// and no name, is not read-only, not persistent, works in the actual plan
// and has level 0.
//
// TKRBaseRootTransactionInterface<I>: a root transaction is read-only and
// persistent, works in its session's plan, and its handle is the session's
// (never released through the library).
//
// TKRActualRootTransactionInterface: the root transaction a session owns.
// Its parent is its session, held uncounted (the session holds the root);
// the session sets it to none before it lets the root go. Its handle is
// KSGetRootTrn of the connected session; its name, when connected, is the
// session's root transaction name (empty for the actual plan).

#include <string>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
#include "objectmodel/KRDataSet_CO_Server.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"

template <class I = IKRBaseTransaction>
class TKRBaseTransactionInterface : public TKRProxyInterface<I> {
 public:
  ComPtr<IKRSession> Get_Session() override {
    return this->Guard([] { return ComPtr<IKRSession>(); });
  }
  void Set_Session(IKRSession*) override {
    this->Guard([] {});
  }
  bool Get_ReadOnly() override {
    return this->Guard([] { return false; });
  }
  void Set_ReadOnly(bool) override {
    this->Guard([] {});
  }
  ComPtr<IKRBaseTransaction> Get_ParentTransaction() override {
    return this->Guard([] { return ComPtr<IKRBaseTransaction>(); });
  }
  void Set_ParentTransaction(IKRBaseTransaction*) override {
    this->Guard([] {});
  }
  ComPtr<IKRProxyList> Get_Transactions() override {
    return this->Guard([&] { return FTransactions; });
  }
  void Refresh() override {
    this->Guard([&] {
      DoBeforeRefresh();
      if (!FRestarted) this->Reconnect();
      InternalRefresh();
      DoAfterRefresh();
    });
  }
  ComPtr<IKRBaseTransaction> Get_TopMostParentTransaction() override {
    return this->Guard([&] {
      ComPtr<IKRBaseTransaction> top(this);
      while (ComPtr<IKRBaseTransaction> parent = top->Get_ParentTransaction()) top = parent;
      return top;
    });
  }
  void InternalRefresh() override {
    this->Guard([&] { ForEachChild([](IKRBaseTransaction& child) { child.InternalRefresh(); }); });
  }
  void DoAfterRefresh() override {
    this->Guard([&] {
      ForEachChild([](IKRBaseTransaction& child) { child.DoAfterRefresh(); });
      if (FRestarted) {
        FRestarted = false;
      } else {
        OleVariant data;
        this->SendEvent(kKREventAfterRefresh, data);
      }
    });
  }
  void DoBeforeRefresh() override {
    this->Guard([&] {
      ForEachChild([](IKRBaseTransaction& child) { child.DoBeforeRefresh(); });
      if (!FRestarted) {
        OleVariant data;
        this->SendEvent(kKREventBeforeRefresh, data);
      }
    });
  }
  bool IsA(KSClassID classID, KSRecordID id) override {
    return this->Guard([&] {
      const KSClassID recordClass = GetClassID(id);
      if (recordClass == kKRNullClassID) return false;
      const ComPtr<IKRSession> session = Get_Session();
      return session && session->IsSubClassOf(recordClass, classID);
    });
  }
  std::u16string Get_Name() override {
    return this->Guard([] { return std::u16string(); });
  }
  void Set_Name(const std::u16string&) override {
    this->Guard([] {});
  }
  ComPtr<IKRBaseTransaction> FindTransaction(const std::u16string& name) override {
    return this->Guard([&] {
      ComPtr<IKRBaseTransaction> found;
      if (Get_Name() == name) {
        found = this;
      } else {
        ForEachChild([&](IKRBaseTransaction& child) {
          if (!found) found = child.FindTransaction(name);
        });
      }
      return found;
    });
  }
  int32_t Get_Level() override {
    return this->Guard([] { return 0; });
  }
  KSClassID GetClassID(KSRecordID id) override {
    return this->Guard([&] {
      KSClassID result = kKRNullClassID;
      if (id == kKRNullRecordID || !this->CheckConnected()) return result;
      const TKRAPITable& api = KRAPI();
      const KSHandle object = api.KSGetObject(this->FHandle, id);
      if (object == 0) return result;
      struct ReleaseObject {
        KSHandle object;
        ~ReleaseObject() { KRAPI().KSReleaseObject(object); }
      } release{object};
      const std::u16string table = ConvertAPIStringToWideString(api.KSGetObjectTable(object));
      const ComPtr<IKRSession> session = Get_Session();
      if (!table.empty() && session) result = session->GetClassID(table);
      return result;
    });
  }
  bool Get_InActualPlan() override {
    return this->Guard([] { return true; });
  }
  bool Get_Persistent() override {
    return this->Guard([] { return false; });
  }
  void RemapID(KSRecordID oldID, KSRecordID newID) override {
    this->Guard(
        [&] { ForEachChild([&](IKRBaseTransaction& child) { child.RemapID(oldID, newID); }); });
  }
  bool Get_HasDependents() override {
    return this->Guard([&] {
      return !IsProxyListEmpty(FTransactions.Get()) || TKRProxyInterface<I>::Get_HasDependents();
    });
  }

 protected:
  TKRBaseTransactionInterface() : FTransactions(MakeComObject<TKRProxyList>()) {}

  void DisconnectDependents() override {
    TKRProxyInterface<I>::DisconnectDependents();
    if (FTransactions) FTransactions->Disconnect();
  }
  void ReleaseDependents() override {
    TKRProxyInterface<I>::ReleaseDependents();
    FTransactions.Reset();
  }

  // Calls action on every child transaction still in the list, in order.
  template <class Action>
  void ForEachChild(Action&& action) {
    TKRProxyIterator children(FTransactions.Get());
    ComPtr<IKRProxy> child;
    while (children.Next(child)) {
      if (const auto transaction = ProxyAs<IKRBaseTransaction>(child.Get())) action(*transaction);
    }
  }

  ComPtr<IKRProxyList> FTransactions;
  // Set when a commit left the transaction restarted by the server.
  bool FRestarted = false;
};

template <class I = IKRBaseTransaction>
class TKRBaseRootTransactionInterface : public TKRBaseTransactionInterface<I> {
 public:
  bool Get_ReadOnly() override {
    return this->Guard([] { return true; });
  }
  bool Get_Persistent() override {
    return this->Guard([] { return true; });
  }
  bool Get_InActualPlan() override {
    return this->Guard([&] {
      const ComPtr<IKRSession> session = this->Get_Session();
      return !session || session->Get_InActualPlan();
    });
  }

 protected:
  TKRBaseRootTransactionInterface() = default;

  // The handle is the session's; it is never released alone.
  void ReleaseHandle() override {}
};

class TKRActualRootTransactionInterface final : public TKRBaseRootTransactionInterface<> {
 public:
  explicit TKRActualRootTransactionInterface(IKRSession* session);

  ComPtr<IKRSession> Get_Session() override;
  void Set_Session(IKRSession* session) override;
  std::u16string Get_Name() override;
  ComPtr<IKRProxy> Get_Parent() override;
  void Set_Parent(IKRProxy* parent) override;

 protected:
  void AssignHandle() override;

 private:
  IKRSession* FSession;  // not counted
};
