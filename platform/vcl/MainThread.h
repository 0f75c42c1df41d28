#pragma once
// The program's main thread: the thread that loaded the component framework
// (for a program, the thread that runs main; for a module, the thread that
// loaded it, the host's). Work that must stay on one thread, such as
// reporting to event handlers that touch forms, checks it here.

#include <thread>

std::thread::id MainThreadID();
bool IsMainThread();
