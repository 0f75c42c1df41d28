#include "kestrel/api/ApiNotices.h"

namespace kestrel::api {

namespace {

// The subscription of the session that covers the class (its own or an ancestor's).
const Trigger* SubscriptionFor(const Session& session, const Schema& schema, const ClassDef& cls) {
  for (const ClassDef* c = &cls; c != nullptr; c = c->base.empty() ? nullptr : schema.FindClass(c->base)) {
    const auto it = session.triggers.find(c->id);
    if (it != session.triggers.end()) return &it->second;
  }
  return nullptr;
}

}  // namespace

void NotifyRootTransaction(const DatabasePtr& db, int32_t code, const std::string& name) {
  State& s = GetState();
  for (const KSHandle h : s.sessions.Handles())
    if (s.sessions.Get(h)->db == db)
      Notify(h, KS_EVENT_SERVER_NOTICE, code, {EventValue::Text(ToUtf16(name))});
}

void FireClassTriggers(const DatabasePtr& db, const std::string& plan,
                       const std::vector<PlanChange>& changes) {
  State& s = GetState();
  const Schema& schema = db->GetSchema();
  const std::string sessionPlan = plan == "Root" ? "" : plan;
  for (const KSHandle h : s.sessions.Handles()) {
    const Session& session = *s.sessions.Get(h);
    if (session.db != db || session.plan != sessionPlan || session.triggers.empty()) continue;
    for (const PlanChange& change : changes) {
      const ClassDef* cls = schema.FindClass(change.record.classId);
      const Trigger* trigger = cls ? SubscriptionFor(session, schema, *cls) : nullptr;
      if (trigger == nullptr || (trigger->mask & change.kind) == 0) continue;
      std::vector<EventValue> values{EventValue::Text(ToUtf16(cls->name)),
                                     EventValue::RecordId(change.id)};
      if (trigger->withValues)
        for (size_t i = 0; i < cls->allFields.size(); ++i) {
          const FieldDef& field = cls->allFields[i];
          if (!field.IsComputedLink())
            values.push_back(EventValue::Field(field.type, change.record.values[i], ToUtf16(field.name)));
        }
      Notify(h, KS_EVENT_CLASS_TRIGGER, change.kind, std::move(values));
    }
  }
}

}  // namespace kestrel::api
