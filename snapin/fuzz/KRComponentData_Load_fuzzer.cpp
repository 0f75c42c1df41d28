// libFuzzer entry: the console-document loader on arbitrary bytes.

#include <cstdlib>

#include "snapin/KRLoadFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!LoadConsoleDocumentChecked(data, size)) std::abort();
  return 0;
}
