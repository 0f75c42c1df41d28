// English texts of the API's status codes.
#pragma once

#include <string>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

// "unknown status <code>" for codes the library does not define.
std::u16string StatusText(KSStatus code);

}  // namespace kestrel::api
