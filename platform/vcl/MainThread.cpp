#include "platform/vcl/MainThread.h"

namespace {

// Set while the library is loaded, on the loading thread.
const std::thread::id gMainThreadID = std::this_thread::get_id();

}  // namespace

std::thread::id MainThreadID() { return gMainThreadID; }

bool IsMainThread() { return std::this_thread::get_id() == gMainThreadID; }
