#include "kestrel/api/LocalHost.h"

#include <unistd.h>

#include <cstdlib>

#include "kestrel/engine/Text.h"

namespace kestrel::api {

std::string ComputerName() {
  if (const char* name = std::getenv("VAZERIR_COMPUTERNAME"); name != nullptr && *name != '\0')
    return name;
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return "LOCALHOST";
  std::string name(buffer);
  name = name.substr(0, name.find('.'));
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name.substr(0, 15);
}

bool IsLocalHost(const std::string& host) {
  return SameName(host, "localhost") || host == "127.0.0.1" || SameName(host, ComputerName());
}

}  // namespace kestrel::api
