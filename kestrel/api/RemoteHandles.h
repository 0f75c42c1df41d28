// The handles of this process that live in a daemon (Remote.h), as the library's own code
// meets them: their mark, their user data (kept here) and their count.
#pragma once

#include <cstdint>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api::remote {

constexpr KSHandle kRemoteBit = 1u << 27;
inline bool IsRemote(KSHandle handle) { return (handle & kRemoteBit) != 0; }

// The user data slot of a live remote handle of the kind (HandleTable's kind); null otherwise.
void** UserDataOf(KSHandle handle, uint32_t kind);
// How many remote handles this process holds (KSGetOpenHandleCount).
int32_t OpenHandleCount();

}  // namespace kestrel::api::remote
