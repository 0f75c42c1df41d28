#pragma once
// Dynamically loaded modules over the C library's loader (dlopen). A module
// handle is the loader's handle of the module, so every way of reaching one
// module (LoadLibrary, GetModuleHandle, GetModuleHandleFromAddress) gives
// the same handle. Failures answer null/FALSE/0 and set the last-error value
// (ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ERROR_INVALID_HANDLE,
// ERROR_INSUFFICIENT_BUFFER); LoaderErrorText tells the loader's reason.

#include <string>

#include "platform/win32/WinTypes.h"

using FARPROC = void*;

// Loads the module (a path, or a name the loader searches for) with all its
// symbols resolved; each call must be matched by FreeLibrary.
HMODULE LoadLibrary(const char* fileName);
HMODULE LoadLibraryA(const char* fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, const char* procName);

// The handle of a module already loaded (the program itself for null),
// without loading it or raising its count.
HMODULE GetModuleHandle(const char* moduleName);
// The module that holds `address` (code or data), or null.
HMODULE GetModuleHandleFromAddress(const void* address);

// Copies the module's full file name (the program's for null) and answers
// its length; a buffer too small receives the cut, terminated name, and the
// answer is `size` with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileName(HMODULE module, char* fileName, DWORD size);
DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size);
// The module's full file name, or empty for an invalid handle.
std::string GetModuleFileName(HMODULE module);

// The loader's description of this thread's last failure.
std::string LoaderErrorText();
