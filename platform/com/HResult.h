#pragma once
// Result codes of interface methods. A result is a 32-bit signed value laid
// out as severity (bit 31), facility (bits 16..30) and code (bits 0..15); a
// result succeeds when it is not negative.

#include <cstdint>

using HRESULT = int32_t;
using SCODE = HRESULT;

inline constexpr uint32_t SEVERITY_SUCCESS = 0;
inline constexpr uint32_t SEVERITY_ERROR = 1;
inline constexpr uint32_t FACILITY_NULL = 0;
inline constexpr uint32_t FACILITY_RPC = 1;
inline constexpr uint32_t FACILITY_DISPATCH = 2;
inline constexpr uint32_t FACILITY_STORAGE = 3;
inline constexpr uint32_t FACILITY_ITF = 4;
inline constexpr uint32_t FACILITY_WIN32 = 7;

constexpr HRESULT MAKE_HRESULT(uint32_t severity, uint32_t facility, uint32_t code) {
  return static_cast<HRESULT>((severity << 31) | ((facility & 0x7FFF) << 16) | (code & 0xFFFF));
}
constexpr SCODE MAKE_SCODE(uint32_t severity, uint32_t facility, uint32_t code) {
  return MAKE_HRESULT(severity, facility, code);
}
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr uint32_t HRESULT_CODE(HRESULT hr) { return static_cast<uint32_t>(hr) & 0xFFFF; }
constexpr uint32_t HRESULT_FACILITY(HRESULT hr) {
  return (static_cast<uint32_t>(hr) >> 16) & 0x7FFF;
}
constexpr uint32_t HRESULT_SEVERITY(HRESULT hr) { return static_cast<uint32_t>(hr) >> 31; }
// The result for a Win32 error code; 0 stays S_OK and results pass unchanged.
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t error) {
  return static_cast<HRESULT>(error) <= 0 ? static_cast<HRESULT>(error)
                                          : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, error);
}

// Interprets a code written in the usual hexadecimal form as a result.
constexpr HRESULT HResultOf(uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = HResultOf(0x00000000);
inline constexpr HRESULT S_FALSE = HResultOf(0x00000001);
inline constexpr HRESULT E_NOTIMPL = HResultOf(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = HResultOf(0x80004002);
inline constexpr HRESULT E_POINTER = HResultOf(0x80004003);
inline constexpr HRESULT E_ABORT = HResultOf(0x80004004);
inline constexpr HRESULT E_FAIL = HResultOf(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = HResultOf(0x8000FFFF);
inline constexpr HRESULT E_PENDING = HResultOf(0x8000000A);
inline constexpr HRESULT E_ACCESSDENIED = HResultOf(0x80070005);
inline constexpr HRESULT E_HANDLE = HResultOf(0x80070006);
inline constexpr HRESULT E_OUTOFMEMORY = HResultOf(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = HResultOf(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = HResultOf(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HResultOf(0x80040111);
inline constexpr HRESULT CLASS_E_NOTLICENSED = HResultOf(0x80040112);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = HResultOf(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = HResultOf(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = HResultOf(0x800401F3);
inline constexpr HRESULT RPC_E_CHANGED_MODE = HResultOf(0x80010106);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = HResultOf(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = HResultOf(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = HResultOf(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = HResultOf(0x80020006);
inline constexpr HRESULT DISP_E_BADVARTYPE = HResultOf(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = HResultOf(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = HResultOf(0x8002000A);
inline constexpr HRESULT STG_E_INVALIDFUNCTION = HResultOf(0x80030001);
inline constexpr HRESULT STG_E_FILENOTFOUND = HResultOf(0x80030002);
inline constexpr HRESULT STG_E_ACCESSDENIED = HResultOf(0x80030005);
inline constexpr HRESULT STG_E_INSUFFICIENTMEMORY = HResultOf(0x80030008);
inline constexpr HRESULT STG_E_INVALIDPOINTER = HResultOf(0x80030009);
inline constexpr HRESULT STG_E_SEEKERROR = HResultOf(0x80030019);
inline constexpr HRESULT STG_E_WRITEFAULT = HResultOf(0x8003001D);
inline constexpr HRESULT STG_E_READFAULT = HResultOf(0x8003001E);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = HResultOf(0x80030057);
inline constexpr HRESULT STG_E_MEDIUMFULL = HResultOf(0x80030070);
inline constexpr HRESULT STG_E_CANTSAVE = HResultOf(0x80030103);
inline constexpr HRESULT DV_E_FORMATETC = HResultOf(0x80040064);
inline constexpr HRESULT DV_E_LINDEX = HResultOf(0x80040068);
inline constexpr HRESULT DV_E_TYMED = HResultOf(0x80040069);
inline constexpr HRESULT DV_E_DVASPECT = HResultOf(0x8004006B);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = HResultOf(0x80040003);
inline constexpr HRESULT DATA_S_SAMEFORMATETC = HResultOf(0x00040130);
inline constexpr HRESULT SELFREG_E_FIRST = MAKE_SCODE(SEVERITY_ERROR, FACILITY_ITF, 0x200);
inline constexpr HRESULT SELFREG_E_TYPELIB = SELFREG_E_FIRST + 0;
inline constexpr HRESULT SELFREG_E_CLASS = SELFREG_E_FIRST + 1;
