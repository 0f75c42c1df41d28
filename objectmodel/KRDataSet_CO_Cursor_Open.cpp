// Making the cursor's library cursor from its owner table, releasing it,
// and refreshing the owner over a new one.

#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Cursor.h"
#include "objectmodel/KRDataSet_CO_Session_Interface.h"
#include "platform/text/Utf.h"

namespace {

// The field list the cursor is made with, holding its own texts: a ring of
// converted strings would reuse its slots in a table of many fields.
class TKRCursorFieldList {
 public:
  TKRCursorFieldList(const std::vector<TKRCursorField>& fields, bool inActualPlan) {
    for (const TKRCursorField& field : fields) {
      const int32_t access = inActualPlan ? field.ActualAccess : field.VersionAccess;
      if (field.Visible && field.Described && !field.UserDefined &&
          access != KS_ACCESS_INVISIBLE) {
        FNames.push_back(Utf8ToUtf16(field.Name));
      }
    }
    if (FNames.empty()) FNames.push_back(u"id");
    for (const std::u16string& name : FNames) FPointers.push_back(name.c_str());
  }
  const char16_t* const* Names() const { return FPointers.data(); }
  int32_t Count() const { return int32_t(FPointers.size()); }

 private:
  std::vector<std::u16string> FNames;
  std::vector<const char16_t*> FPointers;
};

// A sort handle carrying the owner's filter, sort and distinct fields,
// released when it goes.
class TKRCursorSortHandle {
 public:
  explicit TKRCursorSortHandle(TKRCursorOwner& owner) : FHandle(KRAPI().KSGetNewSortHandle()) {
    const TKRAPITable& api = KRAPI();
    if (const KSHandle filter = owner.MakeFilterCondition()) {
      // The sort handle keeps its own share of the condition.
      api.KSSetFilterCondition(FHandle, filter);
      api.KSReleaseCondition(filter);
    }
    for (const TKRCursorSortField& field : owner.GetSortFields()) {
      api.KSAddSortField(FHandle, Utf8ToUtf16(field.Name).c_str(),
                         ConvertToAPIBoolean(field.Descending));
    }
    for (const std::string& field : owner.GetDistinctFields()) {
      api.KSAddDistinctField(FHandle, Utf8ToUtf16(field).c_str());
    }
  }
  ~TKRCursorSortHandle() { KRAPI().KSReleaseSortHandle(FHandle); }
  TKRCursorSortHandle(const TKRCursorSortHandle&) = delete;
  TKRCursorSortHandle& operator=(const TKRCursorSortHandle&) = delete;

  KSHandle Get() const { return FHandle; }

 private:
  KSHandle FHandle;
};

}  // namespace

void TKRCursorInterface::AssignHandle() {
  FLastError = kKRNoErrorRecord;
  FParentRecordID = kKRNullRecordID;
  const ComPtr<IKRTransaction> transaction = Get_Transaction();
  if (FOwner == nullptr || FOwner->GetTableName().empty() || !transaction ||
      !transaction->CheckConnected()) {
    return;
  }
  const ComPtr<IKRSession> session = transaction->Get_Session();
  if (FOwner->HasMasterSource()) {
    if (FOwner->GetMasterTable() != nullptr) FParentRecordID = FOwner->GetMasterRecordID();
    if (FParentRecordID == kKRNullRecordID) {
      FLastError = KS_ERR_NO_MASTER_RECORD;
      return;
    }
  }
  const KSFieldDescription* index = nullptr;
  if (FParentRecordID != kKRNullRecordID && (!session || !FindMasterIndex(*session, index))) {
    return;
  }

  const TKRCursorFieldList fields(FOwner->GetCursorFields(), transaction->Get_InActualPlan());
  const TKRCursorSortHandle sort(*FOwner);
  const std::u16string tableName = Utf8ToUtf16(FOwner->GetTableName());
  const std::u16string indexName = Utf8ToUtf16(FOwner->GetIndexName());
  const TKRAPITable& api = KRAPI();
  if (FParentRecordID == kKRNullRecordID) {
    FHandle = api.KSCreateCursor(transaction->Get_Handle(), tableName.c_str(), fields.Names(),
                                 fields.Count(), indexName.c_str(), sort.Get());
  } else {
    // The link's own class needs no naming; a subclass of it does.
    const std::u16string childClass =
        ConvertAPIStringToWideString(index->referencedClass) == tableName ? u"" : tableName;
    FHandle = api.KSCreateChildCursor(FParentRecordID, transaction->Get_Handle(),
                                      indexName.c_str(), childClass.c_str(), fields.Names(),
                                      fields.Count(), sort.Get());
  }
  if (FHandle == 0) {
    FLastError = api.KSGetLastCursorError();
    return;
  }
  api.KSCursorSetUserData(FHandle, static_cast<IKRProxy*>(this));
  if (FCurrentRecordID != kKRNullRecordID) {
    GoToRecordID(FCurrentRecordID);
    FCurrentRecordID = kKRNullRecordID;
  }
  api.KSSetFetchBuffer(FHandle, FOwner->GetRecordCacheSize());
  FLastError = KS_OK;
}

bool TKRCursorInterface::FindMasterIndex(IKRSession& session, const KSFieldDescription*& index) {
  TKRCursorOwner& master = *FOwner->GetMasterTable();
  const std::string masterField = FOwner->GetMasterField();
  const KSFieldDescription* field =
      masterField.empty() ? nullptr : master.FindFieldDescription(masterField);
  // The master's field leads to the master class; without one the master
  // table's own class is it.
  const KSClassID masterClass =
      IsRealFieldDescription(field)
          ? session.GetClassID(ConvertAPIStringToWideString(field->referencedClass))
          : master.GetClassID();
  index = session.GetIndexDescription(masterClass, Utf8ToUtf16(FOwner->GetIndexName()));
  if (index != nullptr) return true;
  FLastError = KS_ERR_NO_SUCH_INDEX;
  return false;
}

void TKRCursorInterface::ReleaseHandle() { KRAPI().KSReleaseCursor(FHandle); }

void TKRCursorInterface::BeforeDisconnect() {
  FPosition = krcpBeforeFirst;
  FRecordCount = kUnknownCount;
  FCurrentRecordID = kKRNullRecordID;
  FParentRecordID = kKRNullRecordID;
  FPostedRecordSequence = -1;
  // The next cursor returns to the record the open table stands on.
  if (FOwner != nullptr && FOwner->GetActive()) FCurrentRecordID = FOwner->GetCurrentRecordID();
}

void TKRCursorInterface::Refresh() {
  Guard([&] {
    if (FOwner == nullptr || !FOwner->GetActive()) return;
    Reconnect();
    if (FOwner->IsEmpty()) {
      FOwner->Resync(false);
    } else if (!Get_Connected()) {
      FOwner->Close();
    } else {
      FOwner->Resync(FPosition == krcpOnRecord);
    }
  });
}
