// Many steps of a cursor of this process under one hold of the library's lock: what a daemon
// serves a client's fetch buffer with, instead of three calls per row.
#pragma once

#include <cstddef>
#include <functional>

#include "kestrel/include/KestrelAPI.h"

namespace kestrel::api {

// Receives one step: its status (as KSGetNextRecord or KSGetPreviousRecord answers it), where
// the cursor then stands (as KSGetCurrentRecordPos and KSGetCurrentRecordID answer it) and, on
// KS_OK, the `count` values of the row reached (valid during the call). False: no more steps.
using StepSink = std::function<bool(KSStatus status, int32_t position, KSRecordID id,
                                    const KSField* values, size_t count)>;

// Steps the cursor up to `steps` times towards the end (`forward`) or the beginning, giving
// each step to `sink`, and ends after the first step that reaches no row. A cursor that is no
// live handle makes one step with the status that tells why, standing nowhere.
void StepCursor(KSHandle cursor, bool forward, int32_t steps, const StepSink& sink);

}  // namespace kestrel::api
