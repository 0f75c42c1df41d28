#include "platform/win32/WinTypes.h"

namespace {
thread_local DWORD tLastError = 0;
}

DWORD GetLastError() { return tLastError; }

void SetLastError(DWORD error) { tLastError = error; }
