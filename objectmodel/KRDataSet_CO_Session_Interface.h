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

struct IKRSession : IKRProxy {
  static constexpr const IID& kIID = IID_IKRSession;
  using BaseInterface = IKRProxy;

  virtual ComPtr<IKRDatabase> Get_Database() = 0;
  virtual void Set_Database(IKRDatabase* database) = 0;
  virtual std::u16string Get_UserName() = 0;
  virtual void Set_UserName(const std::u16string& userName) = 0;
  virtual std::u16string Get_Password() = 0;
  virtual void Set_Password(const std::u16string& password) = 0;
  virtual std::u16string Get_RootTransactionName() = 0;
  virtual void Set_RootTransactionName(const std::u16string& name) = 0;
  virtual ComPtr<IKRStringList> GetGlobalIndexNames(KSClassID id) = 0;
  virtual TKRFieldDescriptions GetFieldDescriptions(KSClassID id, bool inherited) = 0;
  virtual const KSFieldDescription* GetFieldDescription(KSClassID id, const std::u16string& path,
                                                        bool includeCount) = 0;
  virtual ComPtr<IKRBaseTransaction> Get_RootTransaction() = 0;
  virtual ComPtr<IKRStringList> GetDescendentNames(KSClassID id, bool directOnly) = 0;
  virtual ComPtr<IKRProxyList> Get_RootTransactionClones() = 0;
  virtual KSClassID GetClassID(const std::u16string& className) = 0;
  virtual ComPtr<IKRStringList> GetIndexFieldNames(KSClassID id, const std::u16string& indexName,
                                                   bool withLinkedClass) = 0;
  virtual ComPtr<IKRBaseTransaction> FindTransaction(const std::u16string& name) = 0;
  virtual ComPtr<IKRStringList> Get_TableNames() = 0;
  virtual ComPtr<IKRStringList> Get_SignalNames() = 0;
  virtual bool IsSubClassOf(KSClassID id, KSClassID parentID) = 0;
  virtual KSClassID GetParentClassID(KSClassID id) = 0;
  virtual std::u16string GetClassName(KSClassID id) = 0;
  virtual int32_t GetClassAccess(KSClassID id, bool inherited) = 0;
  virtual int32_t GetDBServiceAccess(const std::u16string& serviceName) = 0;
  virtual bool GetClassIsVirtual(KSClassID id) = 0;
  virtual bool GetClassIsComputed(KSClassID id) = 0;
  virtual bool GetClassIsPrivate(KSClassID id) = 0;
  virtual bool GetClassIsTransient(KSClassID id) = 0;
  // The library's default value (valid until the next call on the session),
  // none when the field has none or its default is its type's null value.
  virtual const KSField* GetFieldDefaultValue(KSClassID id, const std::u16string& fieldName) = 0;
  virtual const KSFieldDescription* GetIndexDescription(KSClassID id,
                                                        const std::u16string& path) = 0;
  virtual bool TransactionExists(const std::u16string& name) = 0;
  virtual void SubscribeToClassEvents(KSClassID id, bool inserts, bool updates, bool deletes,
                                      bool withValues) = 0;
  virtual uint32_t Get_LocaleID() = 0;
  virtual void Set_LocaleID(uint32_t localeID) = 0;
  virtual std::u16string GetEnumeratedText(int32_t listID, int32_t value) = 0;
  virtual std::u16string GetErrorText(KSStatus code) = 0;
  virtual void UnsubscribeFromClassEvents(KSClassID id) = 0;
  virtual ComPtr<IKRStringList> GetConnectedUsers(bool includeSelf, bool allPlans) = 0;
  virtual bool Get_InActualPlan() = 0;
  virtual int32_t GetFieldAccess(KSClassID id, const std::u16string& fieldPath) = 0;
  virtual KSClassID GetFieldOwner(KSClassID id, const std::u16string& fieldName) = 0;
  virtual void DoSignalRaised(int32_t signalID) = 0;
  virtual void DoSignalChanged(int32_t signalID) = 0;
  virtual int32_t Get_SignalIDs(int32_t index) = 0;
  virtual void RefreshSignalIDs() = 0;
  virtual int32_t Get_SignalIDCount() = 0;
  virtual ComPtr<IKRProxyList> Get_Signals() = 0;
  virtual KSHandle FindSignalHandle(int32_t signalID) = 0;
  virtual void AddSignalHandle(int32_t signalID, KSHandle handle) = 0;
  virtual void RemoveSignalHandle(int32_t signalID, KSHandle handle) = 0;
  virtual bool Get_IsDatabaseLoggingActive() = 0;
};
