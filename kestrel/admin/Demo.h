// The demo data of kestrel-admin init-demo: the server KestrelOS20 with the schemas Sales 1.0,
// Sales 2.0 and Staff 1.0, online databases with users, records and scenarios, and the
// database group directory groups/Demo with dumps (one of them in a subdirectory).
#pragma once

#include <iosfwd>
#include <string>

namespace kestrel::admin {

// Throws std::runtime_error when the demo server exists already or a file cannot be written.
void SeedDemo(const std::string& home, std::ostream& out);

// The demo schemas' JSON texts by file name.
std::string DemoSchema(const std::string& file);

}  // namespace kestrel::admin
