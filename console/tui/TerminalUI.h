#pragma once
// The terminal front end of the console: runs the main screen on the
// process's terminal over `host`, with the terminal presenter installed (and
// shared with the snap-in) for the run. `document` is opened when given: a
// file that does not exist yet starts a new document that is saved there; a
// refused file is reported and a new document started. Without a document
// a new one starts. Answers the process's exit status: 0 after quitting, 1
// when there is no terminal (the message points at --batch) or no snap-in
// could be started.

#include <string>

#include "console/host/Host.h"

int RunTerminalUI(THost& host, const std::string& document);
