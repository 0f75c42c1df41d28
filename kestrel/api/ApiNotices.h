// Events that commits and scenario changes send to the sessions of a database: the root
// transaction notices (KS_NOTICE_ROOT_TRANSACTION_CHANGED / _REMOVED with the root
// transaction's name, "Root" for the actual plan) to every session, and class triggers
// (KS_EVENT_CLASS_TRIGGER) to the sessions that work in the plan the changes reached and
// subscribed to the record's class or one of its ancestors.
#pragma once

#include <string>
#include <vector>

#include "kestrel/api/ApiState.h"

namespace kestrel::api {

void NotifyRootTransaction(const DatabasePtr& db, int32_t code, const std::string& name);
// `plan`: "Root" or a root scenario's name.
void FireClassTriggers(const DatabasePtr& db, const std::string& plan,
                       const std::vector<PlanChange>& changes);

}  // namespace kestrel::api
