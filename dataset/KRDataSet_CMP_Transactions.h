#pragma once
// The transaction components: a transaction proxy of the object model as a
// component with events and published properties.
//
// TKRBaseTransaction wraps any transaction (a session's root, a read-write
// transaction, a scenario, a plain transaction): OnBeforeRefresh and
// OnAfterRefresh (events 1 and 2).
//
// TKRReadWriteTransaction wraps a read-write transaction:
// - ParentTransaction_, a transaction component: setting it makes that
//   component's proxy the proxy's parent transaction (none for none). A
//   parent that is this transaction or lies below it is refused
//   (EComponentError), since the proxies would form a ring. When the parent
//   component goes, the property and the proxy's parent become none.
// - ReadOnly and RestartOnErrors read and write the proxy's; ReportProgress
//   (false by default) is the component's own: whether its user asks for
//   commit progress.
// - Events: OnDataChange (5), OnErrorCountChange (6), OnAfterCommit (8),
//   OnAfterRollback (10), OnUpdateCommitProgress (13), OnReadOnlyChanged
//   (12, with the new state), and the requests OnBeforeCommit (7) and
//   OnBeforeRollback (9): the handler's answer is the proxy's answer, and
//   without a handler the request is granted.
//
// TKRTransaction wraps a plain transaction, a new one unless it is given
// one: CanCommit and AutoUpdate read and write the proxy's; OnUpdatesAvailable
// (19). Its proxy's cluster ID identifies the component's owner: the
// transactions of one form form one cluster and do not tell each other of
// their data changes; a transaction without an owner is in no cluster.
//
// Streamed properties: ParentTransaction_, ReadOnly (always, and for
// TKRTransaction when true), RestartOnErrors (when false), ReportProgress
// (when true), CanCommit and AutoUpdate (when false). The component stream
// creates TKRTransaction by its class name.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "dataset/KRDataSet_CMP_Proxy.h"
#include "objectmodel/KRDataSet_CO_Transactions_Interface.h"

class TKRBaseTransaction : public TKRProxy {
 public:
  TKRBaseTransaction(TComponent* owner, ComPtr<IKRBaseTransaction> proxy);

  std::string_view ClassName() const override { return "TKRBaseTransaction"; }

  TKRNotifyEvent OnBeforeRefresh;
  TKRNotifyEvent OnAfterRefresh;

 protected:
  void HandleProxyEvent(int32_t event, OleVariant& data) override;
};

using TKRRequestEvent = std::function<bool(TComponent& sender)>;
using TKRReadOnlyChangedEvent = std::function<void(TComponent& sender, bool readOnly)>;

class TKRReadWriteTransaction : public TKRBaseTransaction {
 public:
  TKRReadWriteTransaction(TComponent* owner, ComPtr<IKRReadWriteTransaction> proxy);

  std::string_view ClassName() const override { return "TKRReadWriteTransaction"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;

  TKRBaseTransaction* ParentTransaction_() const { return FParentTransaction_; }
  void SetParentTransaction_(TKRBaseTransaction* parent);
  bool ReadOnly();
  void SetReadOnly(bool readOnly);
  bool RestartOnErrors();
  void SetRestartOnErrors(bool restart);
  bool ReportProgress() const { return FReportProgress; }
  void SetReportProgress(bool report) { FReportProgress = report; }

  TKRNotifyEvent OnDataChange;
  TKRNotifyEvent OnErrorCountChange;
  TKRNotifyEvent OnAfterCommit;
  TKRNotifyEvent OnAfterRollback;
  TKRRequestEvent OnBeforeCommit;
  TKRRequestEvent OnBeforeRollback;
  TKRReadOnlyChangedEvent OnReadOnlyChanged;
  TKRNotifyEvent OnUpdateCommitProgress;

 protected:
  void HandleProxyEvent(int32_t event, OleVariant& data) override;
  void Notification(TComponent* component, TOperation operation) override;
  // The default of the streamed ReadOnly; none: always streamed.
  virtual std::optional<bool> ReadOnlyDefault() const { return std::nullopt; }

 private:
  // The proxy's parent transaction becomes `parent`'s proxy (none for none).
  void SetProxyParent(TKRBaseTransaction* parent);

  TKRBaseTransaction* FParentTransaction_ = nullptr;
  bool FReportProgress = false;
};

class TKRTransaction : public TKRReadWriteTransaction {
 public:
  // Wraps a new plain transaction.
  explicit TKRTransaction(TComponent* owner);
  TKRTransaction(TComponent* owner, ComPtr<IKRTransaction> proxy);

  std::string_view ClassName() const override { return "TKRTransaction"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;

  bool CanCommit();
  void SetCanCommit(bool canCommit);
  bool AutoUpdate();
  void SetAutoUpdate(bool autoUpdate);

  TKRNotifyEvent OnUpdatesAvailable;

 protected:
  void HandleProxyEvent(int32_t event, OleVariant& data) override;
  std::optional<bool> ReadOnlyDefault() const override { return false; }
};
