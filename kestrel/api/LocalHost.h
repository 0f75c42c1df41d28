// Which host names name this computer.
#pragma once

#include <string>

namespace kestrel::api {

// The computer name: $VAZERIR_COMPUTERNAME, else the host name's first label, upper-cased,
// at most 15 characters.
std::string ComputerName();
// The computer name in any case, "localhost" or "127.0.0.1".
bool IsLocalHost(const std::string& host);

}  // namespace kestrel::api
