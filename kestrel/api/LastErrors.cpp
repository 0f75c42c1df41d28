#include "kestrel/api/LastErrors.h"

namespace kestrel::api {

KSStatus& LastErrorOf(LastError which) {
  thread_local KSStatus statuses[4] = {KS_OK, KS_OK, KS_OK, KS_OK};
  return statuses[static_cast<int>(which)];
}

}  // namespace kestrel::api
