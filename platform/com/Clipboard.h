#pragma once
// Clipboard formats and the structures that describe data in transfer.
//
// RegisterClipboardFormat gives each format name one number from 0xC000
// upward, the same number for the same name (names compare without regard to
// ASCII case) for the life of the process, from any thread. An empty or null
// name, or a name once the range is used up, answers 0.
//
// FORMATETC names a format and how it is to be carried; STGMEDIUM carries it.
// ReleaseStgMedium frees what a medium holds: when pUnkForRelease is set it
// only releases that object (which owns the data); otherwise it frees the
// global block, releases the stream or storage, or frees the file name.

#include <cstdint>
#include <string>

#include "platform/com/GlobalMemory.h"
#include "platform/com/Stream.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

UINT RegisterClipboardFormatA(const char* name);
UINT RegisterClipboardFormatW(const char16_t* name);
// Copies the registered name of `format` (UTF-8, truncated to fit and
// zero-terminated) and answers the characters copied; 0 for an unregistered
// format or a buffer without room.
int GetClipboardFormatNameA(UINT format, char* buffer, int size);

inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD TYMED_FILE = 2;
inline constexpr DWORD TYMED_ISTREAM = 4;
inline constexpr DWORD TYMED_ISTORAGE = 8;
inline constexpr DWORD TYMED_GDI = 16;
inline constexpr DWORD TYMED_MFPICT = 32;
inline constexpr DWORD TYMED_ENHMF = 64;

inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_THUMBNAIL = 2;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD DVASPECT_DOCPRINT = 8;

inline constexpr DWORD DATADIR_GET = 1;
inline constexpr DWORD DATADIR_SET = 2;

// A target device description; the formats used here never carry one.
struct DVTARGETDEVICE;

inline constexpr IID IID_IStorage = GuidLiteral("0000000B-0000-0000-C000-000000000046");

// Structured storage. Nothing here creates or reads storages, so only the
// slots every interface has are declared: enough to carry and release one.
struct IStorage : IUnknown {
  static constexpr const IID& kIID = IID_IStorage;

 protected:
  ~IStorage() = default;
};

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;  // -1: all of the data
  DWORD tymed;  // TYMED_* mask
};

struct STGMEDIUM {
  DWORD tymed;
  union {
    void* hBitmap;
    void* hMetaFilePict;
    void* hEnhMetaFile;
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease;
};

void ReleaseStgMedium(STGMEDIUM* medium);
