#pragma once
// Global memory blocks, the medium data objects hand over: a block is
// allocated fixed (the handle is the address of its bytes) or moveable (the
// handle is an opaque value; GlobalLock answers the address and counts locks).
// Handles are checked: a handle that is not a live block answers failure
// (null, 0 or the handle itself, as each function states), never a crash. A
// block holds at most kGlobalMaxBlockSize bytes. All functions are
// thread-safe; the bytes themselves belong to whoever holds the lock.
//
// CreateStreamOnHGlobal wraps a block as a stream whose size is the block's
// size; writing past the end grows the block (which must then be moveable).

#include <cstddef>

#include "platform/com/Stream.h"
#include "platform/com/Types.h"

using HGLOBAL = void*;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_NOCOMPACT = 0x0010;
inline constexpr UINT GMEM_NODISCARD = 0x0020;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_MODIFY = 0x0080;
inline constexpr UINT GMEM_DISCARDABLE = 0x0100;
inline constexpr UINT GMEM_NOT_BANKED = 0x1000;
inline constexpr UINT GMEM_LOWER = GMEM_NOT_BANKED;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GMEM_DDESHARE = GMEM_SHARE;
inline constexpr UINT GMEM_NOTIFY = 0x4000;
inline constexpr UINT GMEM_INVALID_HANDLE = 0x8000;
inline constexpr UINT GMEM_VALID_FLAGS = 0x7F72;
inline constexpr UINT GMEM_DISCARDED = 0x4000;
inline constexpr UINT GMEM_LOCKCOUNT = 0x00FF;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

inline constexpr size_t kGlobalMaxBlockSize = size_t{1} << 31;

// A new block of `bytes` bytes (zeroed with GMEM_ZEROINIT); null when the
// flags are not valid flags, the size is too large or memory is exhausted.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// Resizes a block (new bytes zeroed with GMEM_ZEROINIT). A moveable block
// keeps its handle; it must not be locked unless `flags` has GMEM_MOVEABLE. A
// fixed block shrinks in place and grows only with GMEM_MOVEABLE, which may
// give it a new handle. With GMEM_MODIFY only the block's kind changes
// (GMEM_MOVEABLE in `flags` makes a fixed block moveable; `bytes` is
// ignored). Answers the handle, or null on failure (the block is unchanged).
HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT flags);
// The block's bytes; a moveable block's lock count goes up by one.
void* GlobalLock(HGLOBAL block);
// Lowers the lock count: nonzero while the block is still locked, 0 once it
// is unlocked (also for fixed blocks and blocks that were not locked).
BOOL GlobalUnlock(HGLOBAL block);
// The block's size in bytes; 0 for a handle that is not a live block.
size_t GlobalSize(HGLOBAL block);
// The lock count (GMEM_LOCKCOUNT bits); GMEM_INVALID_HANDLE for a dead handle.
UINT GlobalFlags(HGLOBAL block);
// The handle of the block whose bytes start at `address`; null if none does.
HGLOBAL GlobalHandle(const void* address);
// Frees a block (also a locked one): null on success, the handle on failure.
HGLOBAL GlobalFree(HGLOBAL block);

// A stream over `block` (a new moveable empty block when null). With
// `deleteOnRelease` the block is freed when the stream and all its clones are
// released. E_INVALIDARG for a handle that is not a live block, E_POINTER for
// null `stream`.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream);
// The block under a stream made by CreateStreamOnHGlobal; E_INVALIDARG for
// any other stream.
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block);
