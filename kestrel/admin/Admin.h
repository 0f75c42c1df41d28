// kestrel-admin: command-line administration of the local servers under $KESTREL_HOME.
//
//   kestrel-admin init-demo                      the demo server KestrelOS20 and demo dumps
//   kestrel-admin create-server NAME             a new, running server without schemas
//   kestrel-admin install-schema SERVER FILE     checks a schema file and installs it
//   kestrel-admin list                           servers, state, schemas, online databases
//   kestrel-admin start SERVER | stop SERVER     marks a server running or stopped
//   kestrel-admin add-user SERVER DB USER [--admin]   password read from standard input
//   kestrel-admin dump-info FILE                 header and counts of a dump
//   kestrel-admin scenarios SERVER DB            a saved database's scenarios: parent, owner,
//                                                visibility, description
//   kestrel-admin check SERVER DB [--repair]     integrity check (exit 2 when findings remain)
//   kestrel-admin journal on|off SERVER DB FILE  the write-ahead journal of an online database
//   kestrel-admin import-sqlite SERVER SCHEMA VERSION DB FILE   a new database from SQLite
//   kestrel-admin --help                         what each command does
//
// Commands that change a server take its lock and fail with "server in use by another
// process" while a process serves it. While kestreld serves the home, list, check and journal
// go through the daemon (ThroughDaemon.h) and show or change what it serves now. Errors go to
// `err` with a non-zero exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::admin {

int RunAdmin(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err);

}  // namespace kestrel::admin
