// kestrel-admin's commands while kestreld serves the home. The daemon holds the servers it
// serves, so the commands that have a Database API function go through the daemon (the
// library connects to it) and show or change what is online now.
#pragma once

#include <iosfwd>
#include <string>

namespace kestrel::admin {

// The schemas of a running server and their online databases as the daemon serves them, in
// the lines of `kestrel-admin list`; false when the daemon does not serve the server.
bool ListThroughDaemon(const std::string& server, std::ostream& out);
// `check SERVER DB [--repair]` on the daemon's database: exit status 2 when findings remain.
int CheckThroughDaemon(const std::string& server, const std::string& db, bool repair, std::ostream& out);
// `journal on|off SERVER DB FILE` on the daemon's database (`file` absolute).
int JournalThroughDaemon(bool on, const std::string& server, const std::string& db,
                         const std::string& file, std::ostream& out);

}  // namespace kestrel::admin
