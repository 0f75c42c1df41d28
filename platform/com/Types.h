#pragma once
// Fixed-width names of the platform's scalar types, for interface shapes that
// keep the platform's signatures. Widths follow the platform's 64-bit model:
// 32-bit LONG/ULONG/DWORD/BOOL, pointer-sized LPARAM/WPARAM, 16-bit UTF-16
// characters. These are aliases only, so another header may repeat any of them.

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using LPARAM = intptr_t;
using WPARAM = uintptr_t;
using OLECHAR = char16_t;
using LPOLESTR = char16_t*;
using LPCOLESTR = const char16_t*;
using LARGE_INTEGER = int64_t;
using ULARGE_INTEGER = uint64_t;
using CLIPFORMAT = uint16_t;

// A time stamp in 100-nanosecond units since 1 January 1601 (UTC), in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
