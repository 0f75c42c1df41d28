// Transaction functions that the root transaction supports today; starting, finding and
// committing transactions, objects, cursors, conditions, signals and class triggers answer
// KS_ERR_NOT_SUPPORTED (or 0 / null) in this version of the library.
#include "kestrel/api/ApiState.h"

using namespace kestrel;
using namespace kestrel::api;

extern "C" {

KSStatus KSTransactionSetUserData(KSHandle transaction, void* userData) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    Transaction* t = GetState().transactions.Get(transaction);
    if (t == nullptr) return KS_ERR_INVALID_HANDLE;
    t->userData = userData;
    return KS_OK;
  });
}

void* KSTransactionGetUserData(KSHandle transaction) {
  return Guard<void*>(nullptr, [&]() -> void* {
    Transaction* t = GetState().transactions.Get(transaction);
    return t ? t->userData : nullptr;
  });
}

KSHandle KSStartTransaction(KSHandle, int32_t, const char16_t*) { return 0; }
KSStatus KSGetStartTransactionError(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSHandle KSFindTransaction(KSHandle, const char16_t*) { return 0; }
KSStatus KSReleaseTransaction(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSRollback(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSCommit(KSHandle, int32_t, int32_t, KSCommitProgressCallback, KSBool) {
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSSetDescription(KSHandle, const char16_t*) { return KS_ERR_NOT_SUPPORTED; }
const KSErrorRecord* KSGetLastErrors(KSHandle, int32_t* count) {
  if (count != nullptr) *count = 0;
  return nullptr;
}
KSStatus KSLockDatabase(KSHandle, KSHandle, int32_t) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSLockTable(KSHandle, KSHandle, int32_t, const char16_t*) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSCreateNewLink(KSHandle, KSRecordID, const char16_t*, KSRecordID) {
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSDestroyLink(KSHandle, KSRecordID, const char16_t*, KSRecordID) {
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSDestroyAll(KSHandle, const char16_t*, KSHandle, int32_t* count) {
  if (count != nullptr) *count = 0;
  return KS_ERR_NOT_SUPPORTED;
}

KSHandle KSGetObject(KSHandle, KSRecordID) { return 0; }
const char16_t* KSGetObjectTable(KSHandle) { return nullptr; }
KSStatus KSReleaseObject(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSDestroyObject(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGetValues(KSHandle, const char16_t* const*, int32_t, KSField*) {
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSSetValues(KSHandle, const KSField*, int32_t) { return KS_ERR_NOT_SUPPORTED; }

KSHandle KSGetNewSortHandle(void) { return 0; }
KSStatus KSReleaseSortHandle(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSSetFilterCondition(KSHandle, KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSAddSortField(KSHandle, const char16_t*, KSBool) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSAddDistinctField(KSHandle, const char16_t*) { return KS_ERR_NOT_SUPPORTED; }
KSHandle KSMakeNewCondition(const char16_t*, int32_t, const KSField*, int32_t) { return 0; }
KSHandle KSMakeANDConditions(KSHandle, KSHandle) { return 0; }
KSHandle KSMakeORConditions(KSHandle, KSHandle) { return 0; }
KSHandle KSMakeContainsFieldAsCondition(const char16_t*, KSHandle, KSBool) { return 0; }
KSStatus KSReleaseCondition(KSHandle) { return KS_ERR_NOT_SUPPORTED; }

KSHandle KSCreateCursor(KSHandle, const char16_t*, const char16_t* const*, int32_t, const char16_t*,
                        KSHandle) {
  return 0;
}
KSHandle KSCreateChildCursor(KSRecordID, KSHandle, const char16_t*, const char16_t*,
                             const char16_t* const*, int32_t, KSHandle) {
  return 0;
}
KSStatus KSGetLastCursorError(void) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSReleaseCursor(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSCursorSetUserData(KSHandle, void*) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSSetFetchBuffer(KSHandle, int32_t) { return KS_ERR_NOT_SUPPORTED; }
int32_t KSGetCount(KSHandle) { return 0; }
KSStatus KSGotoFirst(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGotoLast(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGotoNext(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGotoPrevious(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGoto(KSHandle, int32_t) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGotoRecordID(KSHandle, KSRecordID) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGotoFirstMatch(KSHandle, const KSField*) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGetCurrentValues(KSHandle, KSField*) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGetNextRecord(KSHandle, KSField*) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSGetPreviousRecord(KSHandle, KSField*) { return KS_ERR_NOT_SUPPORTED; }
int32_t KSGetCurrentRecordPos(KSHandle) { return -1; }
KSRecordID KSGetCurrentRecordID(KSHandle) { return -1; }
KSStatus KSInsertNewRecord(KSHandle, const KSField*, int32_t, const char16_t* const*,
                           KSRecordID* newID) {
  if (newID != nullptr) *newID = -1;
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSSetCurrentValues(KSHandle, const KSField*, int32_t) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSDeleteCurrentRecord(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
int32_t KSCursorIDCompare(KSHandle, KSRecordID, KSRecordID) { return 0; }

const KSSignalArgInfo* KSGetSignalArgsInfo(KSHandle, const char16_t*, int32_t* count) {
  if (count != nullptr) *count = 0;
  return nullptr;
}
KSHandle KSInstanciateSignal(KSHandle, const char16_t*, const KSArgumentValue*, int32_t, int32_t,
                             int32_t) {
  return 0;
}
const KSHandle* KSGetInstanciatedSignals(KSHandle, int32_t* count, int32_t) {
  if (count != nullptr) *count = 0;
  return nullptr;
}
KSStatus KSReleaseSignal(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSDeleteSignal(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSSignalSetUserData(KSHandle, void*) { return KS_ERR_NOT_SUPPORTED; }
const char16_t* KSGetSignalName(KSHandle) { return nullptr; }
int32_t KSGetSignalID(KSHandle) { return -1; }
const KSField* KSGetSignalArguments(KSHandle, int32_t* count) {
  if (count != nullptr) *count = 0;
  return nullptr;
}
int32_t KSGetSignalCheckInterval(KSHandle) { return 0; }
KSStatus KSSetSignalCheckInterval(KSHandle, int32_t) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSSetSignalSendEvent(KSHandle, KSBool) { return KS_ERR_NOT_SUPPORTED; }
KSBool KSDoesSignalSendEvent(KSHandle) { return 0; }
KSBool KSIsSignalSuspended(KSHandle) { return 0; }
KSBool KSIsSignalRaised(KSHandle) { return 0; }
KSStatus KSSuspendSignal(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSResumeSignal(KSHandle) { return KS_ERR_NOT_SUPPORTED; }
KSStatus KSEvaluateSignalNow(KSHandle) { return KS_ERR_NOT_SUPPORTED; }

KSStatus KSSubscribeToTableTriggers(KSHandle, const char16_t*, int32_t, KSBool) {
  return KS_ERR_NOT_SUPPORTED;
}
KSStatus KSUnsubscribeToTableTriggers(KSHandle, const char16_t*) { return KS_ERR_NOT_SUPPORTED; }

}  // extern "C"
