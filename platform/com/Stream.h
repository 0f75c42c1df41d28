#pragma once
// Byte streams: ISequentialStream (Read/Write) and IStream (seekable, sized),
// with a growable memory stream and a file stream.
//
// Contract shared by the streams here:
// - Read answers S_OK and fewer bytes than asked at the end of the stream (a
//   short read; 0 bytes at or beyond the end); the count goes to *read when
//   `read` is not null.
// - Write at a position beyond the end fills the gap with zero bytes.
// - Seek may move beyond the end; a position before the start answers
//   STG_E_INVALIDFUNCTION and an unknown origin STG_E_INVALIDFUNCTION, both
//   leaving the position unchanged.
// - Null buffers answer STG_E_INVALIDPOINTER; failures of the medium answer
//   STG_E_READFAULT, STG_E_WRITEFAULT or STG_E_MEDIUMFULL.
// - Stat fills STATSTG; its pwcsName comes from CoTaskMemAlloc (free it with
//   CoTaskMemFree) unless STATFLAG_NONAME is given.
// - Clone answers a stream over the same bytes with its own position.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_ISequentialStream = GuidLiteral("0C733A30-2A1C-11CE-ADE5-00AA0044773D");
inline constexpr IID IID_IStream = GuidLiteral("0000000C-0000-0000-C000-000000000046");

inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;

inline constexpr DWORD STGC_DEFAULT = 0;
inline constexpr DWORD STGC_OVERWRITE = 1;
inline constexpr DWORD STGC_ONLYIFCURRENT = 2;
inline constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
inline constexpr DWORD STGC_CONSOLIDATE = 8;

inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;
inline constexpr DWORD STATFLAG_NOOPEN = 2;

inline constexpr DWORD STGTY_STORAGE = 1;
inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STGTY_LOCKBYTES = 3;
inline constexpr DWORD STGTY_PROPERTY = 4;

struct STATSTG {
  LPOLESTR pwcsName;
  DWORD type;
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

struct ISequentialStream : IUnknown {
  static constexpr const IID& kIID = IID_ISequentialStream;

  virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;

 protected:
  ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
  static constexpr const IID& kIID = IID_IStream;
  using BaseInterface = ISequentialStream;

  virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER newSize) = 0;
  virtual HRESULT CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                         ULARGE_INTEGER* written) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD lockType) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
  virtual HRESULT Clone(IStream** stream) = 0;

 protected:
  ~IStream() = default;
};

// An empty memory stream that grows as it is written.
ComPtr<IStream> CreateMemoryStream();
// A memory stream holding a copy of `size` bytes at `data`, positioned at 0.
ComPtr<IStream> CreateMemoryStream(const void* data, size_t size);

enum class FileStreamMode {
  Read,       // an existing file, read only (Write answers STG_E_ACCESSDENIED)
  ReadWrite,  // an existing file, read and written in place
  Create,     // a new or truncated file, read and written
};

// Opens `path` as a stream positioned at 0. Answers STG_E_FILENOTFOUND,
// STG_E_ACCESSDENIED or STG_E_INVALIDFUNCTION (for a directory) on failure;
// *stream is null then. Commit flushes the file to its device.
HRESULT CreateFileStream(const std::string& path, FileStreamMode mode, IStream** stream);

// Reads exactly `size` bytes: S_OK when all arrived, S_FALSE when the stream
// ended first, otherwise the stream's failure.
HRESULT ReadFully(ISequentialStream* stream, void* buffer, ULONG size);
// Writes exactly `size` bytes: S_OK, the stream's failure, or
// STG_E_MEDIUMFULL when the stream accepted fewer bytes without failing.
HRESULT WriteFully(ISequentialStream* stream, const void* buffer, ULONG size);
