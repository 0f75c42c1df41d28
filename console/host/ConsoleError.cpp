#include "console/host/ConsoleError.h"

#include <cstdio>

std::string FailureText(const std::string& what, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
  return what + " (" + code + ")";
}
