#pragma once
// The computer's name: $VAZERIR_COMPUTERNAME when it is set and not empty,
// used as it stands; otherwise the host name's first label, upper-cased
// (ASCII) and cut to MAX_COMPUTERNAME_LENGTH characters.

#include <string>

#include "platform/win32/WinTypes.h"

inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// `size` holds the buffer's size in bytes on entry. On success the name and
// its NUL are copied and `size` becomes the name's length. A buffer too
// small answers FALSE with ERROR_BUFFER_OVERFLOW and `size` set to the
// length needed with the NUL.
BOOL GetComputerNameA(char* buffer, DWORD* size);
// The name, or empty when the host name cannot be read.
std::string ComputerName();
