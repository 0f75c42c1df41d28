#include "platform/com/OleErrors.h"

#include <cstdio>

namespace {

struct CodeText {
  HRESULT code;
  const char* text;
};

constexpr CodeText kTexts[] = {
    {S_OK, "The operation completed successfully."},
    {E_NOTIMPL, "Not implemented"},
    {E_NOINTERFACE, "No such interface supported"},
    {E_POINTER, "Invalid pointer"},
    {E_ABORT, "Operation aborted"},
    {E_FAIL, "Unspecified error"},
    {E_UNEXPECTED, "Catastrophic failure"},
    {E_PENDING, "The data necessary to complete this operation is not yet available."},
    {E_ACCESSDENIED, "Access is denied."},
    {E_HANDLE, "The handle is invalid."},
    {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {E_INVALIDARG, "The parameter is incorrect."},
    {CLASS_E_NOAGGREGATION, "Class does not support aggregation (or class object is remote)"},
    {CLASS_E_CLASSNOTAVAILABLE, "ClassFactory cannot supply requested class"},
    {CLASS_E_NOTLICENSED, "Class is not licensed for use"},
    {REGDB_E_CLASSNOTREG, "Class not registered"},
    {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
    {CO_E_CLASSSTRING, "Invalid class string"},
    {RPC_E_CHANGED_MODE, "Cannot change thread mode after it is set."},
    {DISP_E_MEMBERNOTFOUND, "Member not found."},
    {DISP_E_PARAMNOTFOUND, "Parameter not found."},
    {DISP_E_TYPEMISMATCH, "Type mismatch."},
    {DISP_E_UNKNOWNNAME, "Unknown name."},
    {DISP_E_BADVARTYPE, "Bad variable type."},
    {DISP_E_EXCEPTION, "Exception occurred."},
    {DISP_E_OVERFLOW, "Out of present range."},
    {STG_E_INVALIDFUNCTION, "Unable to perform requested operation."},
    {STG_E_FILENOTFOUND, "The file could not be found."},
    {STG_E_ACCESSDENIED, "Access Denied."},
    {STG_E_INSUFFICIENTMEMORY, "There is insufficient memory available to complete operation."},
    {STG_E_INVALIDPOINTER, "Invalid pointer error."},
    {STG_E_SEEKERROR, "An error occurred during a seek operation."},
    {STG_E_WRITEFAULT, "A disk error occurred during a write operation."},
    {STG_E_READFAULT, "A disk error occurred during a read operation."},
    {STG_E_INVALIDPARAMETER, "Invalid parameter error."},
    {STG_E_MEDIUMFULL, "There is insufficient disk space to complete operation."},
    {STG_E_CANTSAVE, "Can't save."},
    {DV_E_FORMATETC, "Invalid FORMATETC structure"},
    {DV_E_LINDEX, "Invalid lindex"},
    {DV_E_TYMED, "Invalid tymed"},
    {DV_E_DVASPECT, "Invalid aspect"},
    {OLE_E_ADVISENOTSUPPORTED, "This implementation doesn't take advises"},
    {SELFREG_E_TYPELIB, "Failed to register/unregister type library"},
    {SELFREG_E_CLASS, "Failed to register/unregister class"},
};

std::string MessageFor(std::string message, HRESULT code) {
  if (!message.empty()) return message;
  message = SysErrorMessage(code);
  if (!message.empty()) return message;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "OLE error %08X", static_cast<unsigned>(code));
  return buffer;
}

}  // namespace

EOleSysError::EOleSysError(std::string message, HRESULT errorCode, int helpContext)
    : EOleError(MessageFor(std::move(message), errorCode)),
      errorCode_(errorCode),
      helpContext_(helpContext) {}

EOleException::EOleException(std::string message, HRESULT errorCode, std::string source,
                             std::string helpFile, int helpContext)
    : EOleSysError(std::move(message), errorCode, helpContext),
      source_(std::move(source)),
      helpFile_(std::move(helpFile)) {}

std::string SysErrorMessage(HRESULT code) {
  for (const CodeText& entry : kTexts) {
    if (entry.code == code) return entry.text;
  }
  return {};
}

HRESULT OleCheck(HRESULT result) {
  if (FAILED(result)) throw EOleSysError({}, result);
  return result;
}
