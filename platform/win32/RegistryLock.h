#pragma once
// The registry file's write lock, for Registry.cpp and TRegistryLock (whose
// contract is in Registry.h). Writers lock "<file>.lock" with flock; a writer
// waits for another one's lock up to kRegistryLockWait and then gives up, so
// a stuck process cannot hang every other one.

#include <chrono>
#include <string>

#include "platform/win32/Registry.h"

// Opens and locks "<path>.lock" exclusively, waiting up to `wait`; answers
// the descriptor that holds the lock (closing it releases the lock), or -1
// with `problem` telling why.
int AcquireRegistryLock(const std::string& path, std::chrono::milliseconds wait,
                        std::string& problem);

// True while the calling thread holds the registry at `path` through a
// TRegistryLock: its changes need no lock of their own.
bool ThisThreadHoldsRegistry(const std::string& path);
// Keeps the first failure of the registry during a TRegistryLock of the
// calling thread, for the holder.
void NoteRegistryFailure(const std::string& text);
