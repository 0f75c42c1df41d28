// Where kestreld listens for the processes of one user on one home, and whether a daemon
// answers there: a daemon that was killed leaves its socket file behind, and nothing answers.
#pragma once

#include <string>

namespace kestrel {

// HOME/kestreld.sock.
std::string DaemonSocket(const std::string& home);
// Whether a process accepts connections on the home's socket.
bool DaemonAnswers(const std::string& home);

}  // namespace kestrel
