// The calling thread's status of its last call of each kind that keeps one: what
// KSGetLastConnectError, KSGetLastSessionError, KSGetLastCursorError and KSGetLastSignalError
// answer.
#pragma once

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

enum class LastError { kConnect, kSession, kCursor, kSignal };

KSStatus& LastErrorOf(LastError which);

}  // namespace kestrel::api
