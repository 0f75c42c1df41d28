// The integrity check of a database: records of classes the schema does not know, references
// and stored links to missing records or to records of the wrong class, and unique global
// indexes whose keys repeat. With `repair` the findings that can be mended are mended
// (unknown records removed, dangling references set null, dangling links dropped); repeated
// unique keys are reported only, since either record may be the one the user wants.
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/Database.h"

namespace kestrel {

// One line per finding, in record order; empty when nothing is wrong.
std::vector<std::string> CheckIntegrity(Database& db, bool repair);

}  // namespace kestrel
