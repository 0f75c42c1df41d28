#pragma once
// IKRSession: a user's session on one database, the root of its
// transactions, the answer to the layers' metadata questions, and the
// registry of the session's signals. See KRDataSet_CO_Session.h.
//
// Field descriptions are the library's records (KSFieldDescription), valid
// until the next call on the session. Beside real descriptions two pseudo
// ones are answered: kKRIdentifierField for the identifier field "id" and
// kKRCountField for the count pseudo-field "Count()"; they must not be read
// through (IsRealFieldDescription tells them apart).

#include <cstdint>
#include <string>

#include "objectmodel/KRDataSet_CO_Database.h"
#include "objectmodel/KRDataSet_CO_RootTransaction_Interface.h"
#include "objectmodel/KRDataSet_CO_Signal_Interface.h"

inline constexpr IID IID_IKRSession = GuidLiteral("008920BD-9336-11D1-B850-00805F49559B");

inline const KSFieldDescription* const kKRIdentifierField =
    reinterpret_cast<const KSFieldDescription*>(intptr_t(-1));
inline const KSFieldDescription* const kKRCountField =
    reinterpret_cast<const KSFieldDescription*>(intptr_t(-2));

// Neither none nor a pseudo description.
inline bool IsRealFieldDescription(const KSFieldDescription* description) {
  return description != nullptr && description != kKRIdentifierField &&
         description != kKRCountField;
}

// Access values as the library gives them.
inline constexpr int32_t kKRAccessInvisible = KS_ACCESS_INVISIBLE;

// The rank of an access value: 3 → 0, 0 → 1, 2 → 2, any other → 3.
int32_t MapAccessToInteger(int32_t access);

// The field descriptions of a class as the library answers them.
struct TKRFieldDescriptions {
  const KSFieldDescription* Items = nullptr;
  int32_t Count = 0;
};

// The methods keep the interface's documented order. Metadata questions
// connect the session first and answer empty (none, kKRNullClassID, false,
// "", kKRAccessInvisible) when it cannot connect, the class is unknown or a
// name is empty. Accesses are the library's KS_ACCESS_* values for the actual
// plan or, in a named root transaction, for versions.
struct IKRSession : IKRProxy {
  static constexpr const IID& kIID = IID_IKRSession;
  using BaseInterface = IKRProxy;

  // The database logged on to; setting it files the session in its list.
  virtual ComPtr<IKRDatabase> Get_Database() = 0;
  virtual void Set_Database(IKRDatabase* database) = 0;
  // The log-on user; a change disconnects the session first.
  virtual std::u16string Get_UserName() = 0;
  virtual void Set_UserName(const std::u16string& userName) = 0;
  // The log-on password; a change disconnects the session first.
  virtual std::u16string Get_Password() = 0;
  virtual void Set_Password(const std::u16string& password) = 0;
  // The root transaction worked in, "" for the actual plan; a change
  // disconnects the session first.
  virtual std::u16string Get_RootTransactionName() = 0;
  virtual void Set_RootTransactionName(const std::u16string& name) = 0;
  // The names of the class's global indexes.
  virtual ComPtr<IKRStringList> GetGlobalIndexNames(KSClassID id) = 0;
  // The class's own field descriptions, or with those of its bases.
  virtual TKRFieldDescriptions GetFieldDescriptions(KSClassID id, bool inherited) = 0;
  // The description a path names ("field", "ref.field", "[Class].field", the
  // pseudo fields "id" and "Count()"); past a link field only with
  // `includeCount`, else only its "Count()".
  virtual const KSFieldDescription* GetFieldDescription(KSClassID id, const std::u16string& path,
                                                        bool includeCount) = 0;
  // The session's own root transaction proxy, owned from its creation.
  virtual ComPtr<IKRBaseTransaction> Get_RootTransaction() = 0;
  // The subclasses' names: the direct ones, or all of them breadth first.
  virtual ComPtr<IKRStringList> GetDescendentNames(KSClassID id, bool directOnly) = 0;
  // The clones of the root transaction made on this session.
  virtual ComPtr<IKRProxyList> Get_RootTransactionClones() = 0;
  // The class of that name.
  virtual KSClassID GetClassID(const std::u16string& className) = 0;
  // An index's field names, with the linked class's name when `withLinkedClass`.
  virtual ComPtr<IKRStringList> GetIndexFieldNames(KSClassID id, const std::u16string& indexName,
                                                   bool withLinkedClass) = 0;
  // The transaction of that name below the root transaction; none if absent.
  virtual ComPtr<IKRBaseTransaction> FindTransaction(const std::u16string& name) = 0;
  // The class (table) names, sorted, cached until the next disconnect.
  virtual ComPtr<IKRStringList> Get_TableNames() = 0;
  // The signal names, sorted, cached until the next disconnect.
  virtual ComPtr<IKRStringList> Get_SignalNames() = 0;
  // True when `id` descends from `parentID`.
  virtual bool IsSubClassOf(KSClassID id, KSClassID parentID) = 0;
  // The base class; kKRNullClassID for a class without one.
  virtual KSClassID GetParentClassID(KSClassID id) = 0;
  // The class's name.
  virtual std::u16string GetClassName(KSClassID id) = 0;
  // The class's access; with `inherited` the most restrictive along its bases.
  virtual int32_t GetClassAccess(KSClassID id, bool inherited) = 0;
  // The access to a database service; a private service of the schema is
  // read-only (1) without asking the library.
  virtual int32_t GetDBServiceAccess(const std::u16string& serviceName) = 0;
  // True when the class has the KS_CLASS_VIRTUAL flag.
  virtual bool GetClassIsVirtual(KSClassID id) = 0;
  // True when the class has the KS_CLASS_COMPUTED flag.
  virtual bool GetClassIsComputed(KSClassID id) = 0;
  // True when the class has the KS_CLASS_PRIVATE flag.
  virtual bool GetClassIsPrivate(KSClassID id) = 0;
  // True when the class has the KS_CLASS_TRANSIENT flag.
  virtual bool GetClassIsTransient(KSClassID id) = 0;
  // The library's default value (valid until the next call on the session),
  // none when the field has none or its default is its type's null value.
  virtual const KSField* GetFieldDefaultValue(KSClassID id, const std::u16string& fieldName) = 0;
  // As GetFieldDescription with `includeCount`, else found in a direct
  // subclass, depth first.
  virtual const KSFieldDescription* GetIndexDescription(KSClassID id,
                                                        const std::u16string& path) = 0;
  // True when the library knows a transaction of that name in the session.
  virtual bool TransactionExists(const std::u16string& name) = 0;
  // Asks the library for the class's insert, update and delete events, with
  // the records' values when `withValues`.
  virtual void SubscribeToClassEvents(KSClassID id, bool inserts, bool updates, bool deletes,
                                      bool withValues) = 0;
  // The locale of the session's texts; a change reaches a connected
  // session's library language at once.
  virtual uint32_t Get_LocaleID() = 0;
  virtual void Set_LocaleID(uint32_t localeID) = 0;
  // The text of a value of a value list.
  virtual std::u16string GetEnumeratedText(int32_t listID, int32_t value) = 0;
  // The library's text for a status code.
  virtual std::u16string GetErrorText(KSStatus code) = 0;
  // Stops the class's events that SubscribeToClassEvents asked for.
  virtual void UnsubscribeFromClassEvents(KSClassID id) = 0;
  // The users on the database: this one too with `includeSelf`, in every
  // plan with `allPlans`.
  virtual ComPtr<IKRStringList> GetConnectedUsers(bool includeSelf, bool allPlans) = 0;
  // True while the session works in the actual plan (no root transaction name).
  virtual bool Get_InActualPlan() = 0;
  // The field's access: invisible when its owner class is; read-only for a
  // pseudo field.
  virtual int32_t GetFieldAccess(KSClassID id, const std::u16string& fieldPath) = 0;
  // The base-most class that has the field; kKRNullClassID when none has.
  virtual KSClassID GetFieldOwner(KSClassID id, const std::u16string& fieldName) = 0;
  // Tells the signal of the ID (FindSignal) that it was raised, then sends
  // event 3 (signal raised) with the signal ID to the handlers.
  virtual void DoSignalRaised(int32_t signalID) = 0;
  // Tells the signal of the ID that it changed (it refreshes), then sends
  // event 4 (signal changed) with the signal ID to the handlers.
  virtual void DoSignalChanged(int32_t signalID) = 0;
  // The first of Signals with the ID; else, when the registry has a handle
  // for the ID, a new signal proxy of this session over that handle; else none.
  virtual ComPtr<IKRSignal> FindSignal(int32_t signalID) = 0;
  // The registered signal ID at `index`; raises for an index out of range.
  virtual int32_t Get_SignalIDs(int32_t index) = 0;
  // Registers the library's instantiated signals afresh (none when not connected).
  virtual void RefreshSignalIDs() = 0;
  // The number of registered signal IDs.
  virtual int32_t Get_SignalIDCount() = 0;
  // The session's signal proxies.
  virtual ComPtr<IKRProxyList> Get_Signals() = 0;
  // The handle registered for the ID; 0 when none is.
  virtual KSHandle FindSignalHandle(int32_t signalID) = 0;
  // Registers the pair unless the ID has a handle already.
  virtual void AddSignalHandle(int32_t signalID, KSHandle handle) = 0;
  // Removes the ID's pair, whatever its handle.
  virtual void RemoveSignalHandle(int32_t signalID, KSHandle handle) = 0;
  // True when the connected root transaction journals its changes.
  virtual bool Get_IsDatabaseLoggingActive() = 0;
};
