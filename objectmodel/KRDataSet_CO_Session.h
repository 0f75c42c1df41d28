#pragma once
// TKRSessionInterface (IKRSession): a user's session on one database.
//
// - Connecting connects the database first (which creates it empty when its
//   schema does not list it) and logs on (KSCreateSession) with the user
//   name, password and root transaction name (empty: the actual plan). A
//   failed logon keeps the library's code in LastError. On success the
//   session sends its language code and subscribes to the library's events
//   for its handle; it unsubscribes before its handle goes.
// - Changing the user name, password or root transaction name disconnects
//   first. Changing LocaleID sends the new language code at once when
//   connected, else at the next logon. For the user's default locale (1024)
//   the host process's locale override comes first (see
//   KRDataSet_CO_Database_Language.h).
// - The session owns its actual root transaction from its creation; it
//   disconnects its signals, its root transaction clones and its root
//   transaction, in that order, before itself.
// - Metadata questions connect first and answer empty (none, -1, false, 3
//   for accesses) when the session cannot connect, the class is unknown or
//   the name is empty. TableNames and SignalNames are cached until the next
//   disconnect; the wrappers keep the cache they were given alive.
// - Events: a lost server (IsServerLostEvent) marks the session's server
//   lost; the server notices KS_NOTICE_SIGNAL_RAISED and _CHANGED reach the
//   signal of the ID in the first value (DoRaised, DoChanged; see
//   FindSignal) and become events 3 and 4 for that ID; the notices
//   KS_NOTICE_ROOT_TRANSACTION_CHANGED and _REMOVED about another root
//   transaction are dropped, and _REMOVED for this session's disconnects its
//   root transaction; kinds 5 and 6 become events 14 and 15 with the first
//   value; every other event goes to the handlers as event 0.
// - The signal registry keeps (signal ID, signal handle) pairs, one per ID.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "objectmodel/KRDataSet_CO_Events_Data.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"

class TKRSessionInterface : public TKRProxyInterface<IKRSession> {
 public:
  TKRSessionInterface();

  ComPtr<IKRDatabase> Get_Database() override;
  void Set_Database(IKRDatabase* database) override;
  std::u16string Get_UserName() override;
  void Set_UserName(const std::u16string& userName) override;
  std::u16string Get_Password() override;
  void Set_Password(const std::u16string& password) override;
  std::u16string Get_RootTransactionName() override;
  void Set_RootTransactionName(const std::u16string& name) override;
  ComPtr<IKRStringList> GetGlobalIndexNames(KSClassID id) override;
  TKRFieldDescriptions GetFieldDescriptions(KSClassID id, bool inherited) override;
  const KSFieldDescription* GetFieldDescription(KSClassID id, const std::u16string& path,
                                                bool includeCount) override;
  ComPtr<IKRBaseTransaction> Get_RootTransaction() override;
  ComPtr<IKRStringList> GetDescendentNames(KSClassID id, bool directOnly) override;
  ComPtr<IKRProxyList> Get_RootTransactionClones() override;
  KSClassID GetClassID(const std::u16string& className) override;
  ComPtr<IKRStringList> GetIndexFieldNames(KSClassID id, const std::u16string& indexName,
                                           bool withLinkedClass) override;
  ComPtr<IKRBaseTransaction> FindTransaction(const std::u16string& name) override;
  ComPtr<IKRStringList> Get_TableNames() override;
  ComPtr<IKRStringList> Get_SignalNames() override;
  bool IsSubClassOf(KSClassID id, KSClassID parentID) override;
  KSClassID GetParentClassID(KSClassID id) override;
  std::u16string GetClassName(KSClassID id) override;
  int32_t GetClassAccess(KSClassID id, bool inherited) override;
  int32_t GetDBServiceAccess(const std::u16string& serviceName) override;
  bool GetClassIsVirtual(KSClassID id) override;
  bool GetClassIsComputed(KSClassID id) override;
  bool GetClassIsPrivate(KSClassID id) override;
  bool GetClassIsTransient(KSClassID id) override;
  const KSField* GetFieldDefaultValue(KSClassID id, const std::u16string& fieldName) override;
  const KSFieldDescription* GetIndexDescription(KSClassID id, const std::u16string& path) override;
  bool TransactionExists(const std::u16string& name) override;
  void SubscribeToClassEvents(KSClassID id, bool inserts, bool updates, bool deletes,
                              bool withValues) override;
  uint32_t Get_LocaleID() override;
  void Set_LocaleID(uint32_t localeID) override;
  std::u16string GetEnumeratedText(int32_t listID, int32_t value) override;
  std::u16string GetErrorText(KSStatus code) override;
  void UnsubscribeFromClassEvents(KSClassID id) override;
  ComPtr<IKRStringList> GetConnectedUsers(bool includeSelf, bool allPlans) override;
  bool Get_InActualPlan() override;
  int32_t GetFieldAccess(KSClassID id, const std::u16string& fieldPath) override;
  KSClassID GetFieldOwner(KSClassID id, const std::u16string& fieldName) override;
  void DoSignalRaised(int32_t signalID) override;
  void DoSignalChanged(int32_t signalID) override;
  ComPtr<IKRSignal> FindSignal(int32_t signalID) override;
  int32_t Get_SignalIDs(int32_t index) override;
  void RefreshSignalIDs() override;
  int32_t Get_SignalIDCount() override;
  ComPtr<IKRProxyList> Get_Signals() override;
  KSHandle FindSignalHandle(int32_t signalID) override;
  void AddSignalHandle(int32_t signalID, KSHandle handle) override;
  void RemoveSignalHandle(int32_t signalID, KSHandle handle) override;
  bool Get_IsDatabaseLoggingActive() override;

  bool Get_HasDependents() override;
  void Assign_(IKRProxy* source) override;
  void HandleAPIEvent(OleVariant& data) override;

 protected:
  void AssignHandle() override;
  void ReleaseHandle() override;
  void BeforeDisconnect() override;
  void AfterDisconnect() override;
  void DisconnectDependents() override;
  void ReleaseDependents() override;

 private:
  struct TKRSignalEntry {
    int32_t ID;
    KSHandle Handle;
  };

  // The wide text of an API string answered for this session.
  std::u16string Text(const char16_t* text);
  // The name of a class as an API string; null for an unknown class or when
  // the session cannot connect.
  const char16_t* ClassNameArgument(KSClassID id);
  // The class flags tested against `flag`.
  bool HasClassFlag(KSClassID id, int32_t flag);
  // A sorted list cached in `cache`, filled by list(count) when missing.
  template <class List>
  ComPtr<IKRStringList> CachedNames(ComPtr<TKRSharedStrings>& cache, List&& list);
  // Looks a field up among the class's descriptions by name (case folded
  // for a..z); none when absent.
  const KSFieldDescription* FindField(KSClassID id, std::u16string_view name);
  const KSFieldDescription* ResolveFieldPath(KSClassID id, std::u16string_view path,
                                             bool includeCount);
  // True when the event's first value names this session's root
  // transaction (kKRRootTransactionAPIName naming the actual plan's).
  bool IsOwnRootTransaction(const TKREventData& event);
  void Unsubscribe();
  void SendLanguageCode();

  std::u16string FUserName = u"system";
  std::u16string FPassword;
  std::u16string FRootTransactionName;
  ComPtr<TKRSharedStrings> FTableNames;
  ComPtr<TKRSharedStrings> FSignalNames;
  ComPtr<IKRBaseTransaction> FRootTransaction;
  ComPtr<IKRProxyList> FRootTransactionClones;
  uint32_t FLocaleID = kKRUserDefaultLocale;
  TKRLanguageCode FLanguageCode;
  ComPtr<IKRProxyList> FSignals;
  std::vector<TKRSignalEntry> FSignalIDs;
};
