#pragma once
// The process's global interface table as the object model uses it: one
// table for the whole process, obtained on first use and kept until the
// process ends.
//
// This platform has no apartments: the table answers the registered object
// itself (a new counted reference) on every thread, never a marshalled
// stand-in.

#include "platform/com/GlobalInterfaceTable.h"

// The table. The first call obtains it; calls may come from any thread.
IGlobalInterfaceTable& KRGlobalInterfaceTable();
