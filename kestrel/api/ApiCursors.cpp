// Sort handles, conditions and cursors: this version of the library does not offer them yet;
// each answers KS_ERR_NOT_SUPPORTED (0, -1 or null where no status is answered) and changes
// nothing.
#include "kestrel/include/KestrelAPI.h"

extern "C" {

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

}  // extern "C"
