// Signals: this version of the library does not offer them yet; each function answers
// KS_ERR_NOT_SUPPORTED (0, -1 or null where no status is answered) and changes nothing.
#include "kestrel/include/KestrelAPI.h"

extern "C" {

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

}  // extern "C"
