#pragma once
// IDataObject, through which data is handed over in named formats, and the
// enumerator of its formats. GetData lets the object allocate the medium,
// which the caller frees with ReleaseStgMedium; GetDataHere writes into a
// medium the caller allocated (for TYMED_HGLOBAL, a block the object may not
// replace). QueryGetData answers S_OK when GetData would succeed for the
// format, DV_E_FORMATETC (or DV_E_TYMED, DV_E_LINDEX, DV_E_DVASPECT) when not.

#include "platform/com/Clipboard.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IDataObject = GuidLiteral("0000010E-0000-0000-C000-000000000046");
inline constexpr IID IID_IEnumFORMATETC = GuidLiteral("00000103-0000-0000-C000-000000000046");
inline constexpr IID IID_IAdviseSink = GuidLiteral("0000010F-0000-0000-C000-000000000046");
inline constexpr IID IID_IEnumSTATDATA = GuidLiteral("00000105-0000-0000-C000-000000000046");

// Advise sinks and their enumerators are only passed along (the data objects
// here answer OLE_E_ADVISENOTSUPPORTED), so they are declared without methods.
struct IAdviseSink : IUnknown {
  static constexpr const IID& kIID = IID_IAdviseSink;

 protected:
  ~IAdviseSink() = default;
};

struct IEnumSTATDATA : IUnknown {
  static constexpr const IID& kIID = IID_IEnumSTATDATA;

 protected:
  ~IEnumSTATDATA() = default;
};

struct IEnumFORMATETC : IUnknown {
  static constexpr const IID& kIID = IID_IEnumFORMATETC;

  // Copies up to `count` entries; S_OK when all were there, S_FALSE otherwise.
  virtual HRESULT Next(ULONG count, FORMATETC* formats, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** enumerator) = 0;

 protected:
  ~IEnumFORMATETC() = default;
};

struct IDataObject : IUnknown {
  static constexpr const IID& kIID = IID_IDataObject;

  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) = 0;
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) = 0;

 protected:
  ~IDataObject() = default;
};
