#pragma once
// What the module does when its host asks whether it may be unloaded
// (DllCanUnloadNow). The module finalizes when it agrees to go: it drops the
// default connection of the data-set components (server, schema, database,
// session and transaction proxies made on demand and otherwise kept for the
// life of the process), while the Database API they release their handles
// through is still loaded. A module that cannot go yet keeps them. Should
// the host use the module again, the defaults are made again on demand.
//
// Called on the console's thread, as the defaults are used.

#include "platform/com/HResult.h"
#include "snapin/ComServer.h"

// S_OK (after finalizing) when nothing keeps `server`'s module loaded,
// else S_FALSE.
HRESULT CanUnloadModule(const TComServer& server);
