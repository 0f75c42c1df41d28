// Scenarios (persistent transactions) as the engine keeps them: creating, describing and
// removing them, and their rows in _DBTransaction (name, isPrivate, isProtected, isVersion,
// userName, StartDate, Description, parentP leading to the parent's row), which these
// functions keep in step with the scenarios. The rows are committed data written through
// Database::ApplyToBase.
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/Database.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

// Adds the scenario (its name, parent, flags, owner, start date, description and isVersion
// as given; no changes) and its row. KS_ERR_INVALID_ARGUMENT for an empty name or "Root",
// KS_ERR_TRANSACTION_EXISTS, KS_ERR_NO_SUCH_TRANSACTION for an unknown parent.
// These three functions journal what they change first: KS_ERR_WRITE_FAILED, and nothing
// changed, when the database's journal refuses it.
KSStatus CreateScenario(Database& db, PersistentTransaction scenario);
// Changes the description and the row's.
KSStatus DescribeScenario(Database& db, PersistentTransaction& scenario,
                          std::u16string description);
// Removes the scenario, its descendants and their rows; `removed` gets their names, the
// scenario's first.
KSStatus RemoveScenario(Database& db, const std::string& name, std::vector<std::string>& removed);
// Makes the rows agree with the scenarios after a load: missing rows are added, differing ones
// rewritten (which marks the database modified). A scenario without owner and start date (of
// a dump of the first format, or of a text without them) takes its owner, start date and
// isVersion from its row first.
void SyncScenarioRows(Database& db);

}  // namespace kestrel
