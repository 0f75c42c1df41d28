#include "kestrel/engine/Transaction.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <unordered_set>

#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/Text.h"
#include "kestrel/engine/Validation.h"

namespace kestrel {

namespace {

bool SameUser(const std::u16string& a, const std::u16string& b) {
  return SameName(ToUtf8(a), ToUtf8(b));
}

// Whether an access value lets a transaction change (or, for `insert`, insert) a record; a
// record that the transaction inserted itself counts as an insert.
bool Allows(int32_t access, bool insert) {
  return access == access::kReadWrite || (access == access::kInsert && insert);
}

// Reports progress at most once per ten percent.
class Reporter {
 public:
  Reporter(const Progress& progress, size_t total) : progress_(progress), total_(total) {}
  void At(int32_t from, int32_t span, size_t done, const std::u16string& text) {
    const int32_t percentage =
        from + static_cast<int32_t>(total_ == 0 ? span : done * static_cast<size_t>(span) / total_);
    if (last_ >= 0 && percentage / 10 == last_ / 10) return;
    last_ = percentage;
    progress_(percentage, text, false);
  }
  void Finish(const std::u16string& text) { progress_(100, text, true); }

 private:
  const Progress& progress_;
  size_t total_;
  int32_t last_ = -1;
};

}  // namespace

bool ScenarioVisibleTo(const PersistentTransaction& scenario, const std::u16string& user) {
  return (scenario.flags & txflag::kPrivate) == 0 || SameUser(scenario.owner, user);
}

bool ScenarioWritableBy(const PersistentTransaction& scenario, const std::u16string& user) {
  return (scenario.flags & txflag::kProtected) == 0 || SameUser(scenario.owner, user);
}

KSStatus Transaction::Open(const DatabasePtr& db, const std::string& name, const Actor& actor,
                           bool asRoot, std::shared_ptr<Transaction>& out) {
  if (name.empty() || name == "Root") {
    out.reset(new Transaction(db, Kind::kActualPlan, actor));
    out->root_ = true;
    return KS_OK;
  }
  const PersistentTransaction* s = db->FindScenario(name);
  if (s == nullptr || !ScenarioVisibleTo(*s, actor.user) || (asRoot && !s->parent.empty()))
    return KS_ERR_NO_SUCH_TRANSACTION;
  out.reset(new Transaction(db, Kind::kScenario, actor));
  out->scenario_ = name;
  out->root_ = asRoot;
  out->readOnly_ = !ScenarioWritableBy(*s, actor.user);
  return KS_OK;
}

KSStatus Transaction::OpenRoot(const DatabasePtr& db, const std::string& plan, const Actor& actor,
                               std::shared_ptr<Transaction>& root) {
  return Open(db, plan, actor, true, root);
}

KSStatus Transaction::Find(const DatabasePtr& db, const std::string& name, const Actor& actor,
                           std::shared_ptr<Transaction>& found) {
  return Open(db, name, actor, false, found);
}

Transaction::~Transaction() { ReleaseLocks(); }

std::string Transaction::Name() const {
  return kind_ == Kind::kActualPlan ? "Root" : kind_ == Kind::kScenario ? scenario_ : "";
}

bool Transaction::InVersion() const {
  return kind_ == Kind::kScenario || (kind_ == Kind::kPlain && parent_->InVersion());
}

std::optional<View> Transaction::GetView() {
  std::vector<Layer> layers;
  Transaction* t = this;
  for (; t->kind_ == Kind::kPlain; t = t->parent_.get())
    layers.push_back(Layer{&t->delta_, &t->versions_});
  for (std::string name = t->scenario_; !name.empty();) {
    PersistentTransaction* s = db_->FindScenario(name);
    if (s == nullptr) return std::nullopt;
    layers.push_back(Layer{&s->delta, &s->versions});
    name = s->parent;
  }
  return View(*db_, std::move(layers));
}

void Transaction::NoteRead(const View& view, RecordID id) {
  if (view.Layers().empty() || kind_ == Kind::kActualPlan) return;
  const Layer& own = view.Layers().front();
  if (own.delta->count(id) == 0 && own.versions->read.count(id) == 0)
    own.versions->read.emplace(id, view.Below().VersionOf(id));
}

KSStatus Transaction::Put(const View& view, Changes changes) {
  if (kind_ == Kind::kScenario) {
    if (db_->JournalActive()) {
      JournalEntry entry = db_->NewJournalEntry();
      for (const auto& [id, record] : changes) entry.ChangeScenario(scenario_, id, record);
      if (!db_->WriteAhead(entry)) return KS_ERR_WRITE_FAILED;
    }
    db_->SetModified(true);
  }
  const Layer& own = view.Layers().front();
  for (auto& [id, record] : changes) {
    NoteRead(view, id);
    (*own.delta)[id] = std::move(record);
    own.versions->written[id] = db_->NextSequence();
  }
  return KS_OK;
}

bool Transaction::JournalCommit(const View& below, const Delta& delta, const std::string& target,
                                bool intoData) {
  if (!db_->JournalActive()) return true;
  JournalEntry entry = db_->NewJournalEntry();
  for (const auto& [id, change] : delta) {
    if (intoData && (change || below.Find(id)))
      entry.Write(id, change);
    else if (!target.empty())
      entry.ChangeScenario(target, id, change);
  }
  if (kind_ == Kind::kScenario) entry.EmptyScenario(scenario_);
  return db_->WriteAhead(entry);
}

KSStatus Transaction::CheckChangeable() const {
  if (root_ || kind_ == Kind::kActualPlan || readOnly_) return KS_ERR_READ_ONLY;
  if (db_->Busy()) return KS_ERR_TRANSACTION_BUSY;
  return KS_OK;
}

KSStatus Transaction::CheckLocks(const ClassDef& cls) const {
  const Schema& schema = db_->GetSchema();
  for (const DatabaseLock& lock : db_->Locks()) {
    if (lock.session == actor_.session) continue;
    const ClassDef* locked = schema.FindClass(lock.cls);
    if (lock.cls == kNoClass || (locked != nullptr && schema.IsDescendant(cls, *locked)))
      return KS_ERR_LOCKED;
  }
  return KS_OK;
}

KSStatus Transaction::CheckWrite(const View& view, const ClassDef& cls, RecordID id,
                                 Write write) const {
  if (const KSStatus status = CheckChangeable(); status != KS_OK) return status;
  if (const KSStatus status = CheckLocks(cls); status != KS_OK) return status;
  const bool fresh = write == Write::kInsert || view.Below().Find(id) == nullptr;
  const int32_t access = InVersion() ? cls.versionAccess : cls.rootAccess;
  if (!Allows(access, fresh)) return KS_ERR_ACCESS_DENIED;
  if (write == Write::kDelete && !fresh && cls.IsProtected(view.Find(id)->values))
    return KS_ERR_ACCESS_DENIED;
  return KS_OK;
}

KSStatus Transaction::Start(int32_t flags, const std::string& name,
                            std::shared_ptr<Transaction>& child, KSStatus& granted) {
  using namespace txflag;
  const bool persistent = (flags & kPersistent) != 0;
  if ((flags & ~kAll) != 0 || (flags & kVisibility) == kVisibility ||
      ((flags & kWithoutCommitIntent) != 0 && (flags & kWithCommitIntent) != 0) ||
      (!persistent && (flags & kVisibility) != 0) || (persistent && (flags & kReadOnly) != 0))
    return KS_ERR_INVALID_ARGUMENT;
  if (db_->Busy()) return KS_ERR_TRANSACTION_BUSY;
  if (!GetView()) return KS_ERR_NO_SUCH_TRANSACTION;
  granted = KS_OK;
  if (persistent) {
    // A scenario lies over the committed data or another scenario, never over changes that
    // may go away.
    if (kind_ == Kind::kPlain) return KS_ERR_INVALID_ARGUMENT;
    PersistentTransaction s;
    s.name = name;
    s.parent = scenario_;
    s.flags = flags & (kPersistent | kVisibility);
    s.owner = actor_.user;
    s.startDate = static_cast<int32_t>(std::time(nullptr));
    if (const KSStatus status = CreateScenario(*db_, std::move(s)); status != KS_OK) return status;
    return Open(db_, name, actor_, false, child);
  }
  child.reset(new Transaction(db_, Kind::kPlain, actor_));
  child->parent_ = shared_from_this();
  child->readOnly_ = (flags & kReadOnly) != 0 || readOnly_;
  if (child->readOnly_ && (flags & kReadOnly) == 0) granted = KS_READ_ONLY_GRANTED;
  return KS_OK;
}

KSStatus Transaction::SetValues(RecordID id,
                                const std::vector<std::pair<size_t, Value>>& values) {
  const std::optional<View> view = GetView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  const Record* current = view->Find(id);
  if (current == nullptr) return KS_ERR_NO_SUCH_RECORD;
  const ClassDef& cls = *db_->GetSchema().FindClass(current->classId);
  if (const KSStatus status = CheckWrite(*view, cls, id, Write::kChange); status != KS_OK)
    return status;
  const bool fresh = view->Below().Find(id) == nullptr;
  const bool locked = !fresh && cls.IsProtected(current->values);
  const int marker = cls.FieldIndex(cls.protectField);
  Record changed = *current;
  for (const auto& [at, value] : values) {
    if (at >= cls.allFields.size()) return KS_ERR_NO_SUCH_FIELD;
    const FieldDef& field = cls.allFields[at];
    const int32_t access = InVersion() ? field.versionAccess : field.actualAccess;
    if (!Allows(access, fresh) || field.IsComputedLink() ||
        (locked && static_cast<int>(at) != marker))
      return KS_ERR_ACCESS_DENIED;
    if (!FitsType(value, field.type)) return KS_ERR_INVALID_ARGUMENT;
    changed.values[at] = Normalize(value, field.type);
  }
  return Put(*view, {{id, std::move(changed)}});
}

KSStatus Transaction::Insert(const ClassDef& cls, std::vector<Value> values, RecordID& id) {
  id = kNullRecord;
  const std::optional<View> view = GetView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  if ((cls.flags & (classflag::kVirtual | classflag::kComputed)) != 0 ||
      values.size() != cls.allFields.size())
    return KS_ERR_INVALID_ARGUMENT;
  if (const KSStatus status = CheckWrite(*view, cls, kNullRecord, Write::kInsert); status != KS_OK)
    return status;
  for (size_t i = 0; i < values.size(); ++i) {
    if (!FitsType(values[i], cls.allFields[i].type) ||
        (cls.allFields[i].IsComputedLink() && !IsNull(values[i])))
      return KS_ERR_INVALID_ARGUMENT;
    values[i] = Normalize(std::move(values[i]), cls.allFields[i].type);
  }
  try {
    id = db_->NewRecordId();
  } catch (const std::length_error&) {
    return KS_ERR_DATABASE_FULL;
  }
  const KSStatus status = Put(*view, {{id, Record{cls.id, std::move(values)}}});
  if (status != KS_OK) id = kNullRecord;
  return status;
}

KSStatus Transaction::DestroyRecords(const View& view, const std::vector<RecordID>& ids) {
  const Schema& schema = db_->GetSchema();
  for (const RecordID id : ids) {
    const ClassDef& cls = *schema.FindClass(view.Find(id)->classId);
    if (const KSStatus status = CheckWrite(view, cls, id, Write::kDelete); status != KS_OK)
      return status;
  }
  const std::unordered_set<RecordID> doomed(ids.begin(), ids.end());
  const ReferenceMap references(view);
  for (const RecordID id : ids)
    for (const RecordID from : references.Referrers(id))
      if (doomed.count(from) == 0) return KS_ERR_DELETE_REFERENCED;
  Changes deletions;
  for (const RecordID id : ids) deletions.emplace_back(id, std::nullopt);
  return Put(view, std::move(deletions));
}

KSStatus Transaction::Destroy(RecordID id) {
  const std::optional<View> view = GetView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  if (view->Find(id) == nullptr) return KS_ERR_NO_SUCH_RECORD;
  return DestroyRecords(*view, {id});
}

KSStatus Transaction::DestroyAll(const ClassDef& cls, const Keep& keep, int32_t& count) {
  count = 0;
  const std::optional<View> view = GetView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  if (const KSStatus status = CheckChangeable(); status != KS_OK) return status;
  std::vector<RecordID> ids;
  for (const RecordID id : view->MembersOf(cls)) {
    bool kept = false;
    if (keep)
      if (const KSStatus status = keep(*view, id, *view->Find(id), kept); status != KS_OK)
        return status;
    if (!kept) ids.push_back(id);
  }
  if (const KSStatus status = DestroyRecords(*view, ids); status != KS_OK) return status;
  count = static_cast<int32_t>(ids.size());
  return KS_OK;
}

KSStatus Transaction::Link(RecordID from, const std::string& fieldName, RecordID to, bool create) {
  const std::optional<View> view = GetView();
  if (!view) return KS_ERR_NO_SUCH_TRANSACTION;
  const Schema& schema = db_->GetSchema();
  const Record* source = view->Find(from);
  const Record* target = view->Find(to);
  if (source == nullptr || target == nullptr) return KS_ERR_NO_SUCH_RECORD;
  const ClassDef& cls = *schema.FindClass(source->classId);
  const int at = cls.FieldIndex(fieldName);
  if (at < 0) return KS_ERR_NO_SUCH_FIELD;
  const FieldDef& field = cls.allFields[static_cast<size_t>(at)];
  if (field.type != type::kLinks) return KS_ERR_INVALID_ARGUMENT;
  const ClassDef& targetClass = *schema.FindClass(target->classId);
  const ClassDef* want = schema.FindClass(field.referencedClass);
  if (want != nullptr && !schema.IsDescendant(targetClass, *want)) return KS_ERR_WRONG_CLASS;
  // A computed link is the target's reference back to the source; a stored one is the
  // source's list.
  const bool computed = field.IsComputedLink();
  const RecordID owner = computed ? to : from;
  const ClassDef& ownerClass = computed ? targetClass : cls;
  Record changed = computed ? *target : *source;
  const int slot = computed ? targetClass.FieldIndex(field.linkVia) : at;
  if (const KSStatus status = CheckWrite(*view, ownerClass, owner, Write::kChange); status != KS_OK)
    return status;
  const bool fresh = view->Below().Find(owner) == nullptr;
  if (!fresh && ownerClass.IsProtected(changed.values) &&
      slot != ownerClass.FieldIndex(ownerClass.protectField))
    return KS_ERR_ACCESS_DENIED;
  Value& value = changed.values[static_cast<size_t>(slot)];
  if (computed) {
    const auto* current = std::get_if<int32_t>(&value);
    if (!create && (current == nullptr || *current != from)) return KS_ERR_NOT_LINKED;
    value = create ? Value{from} : Value{};
  } else {
    LinkList links = std::holds_alternative<LinkList>(value) ? std::get<LinkList>(value) : LinkList{};
    const auto it = std::find(links.begin(), links.end(), to);
    if (create && it != links.end()) return KS_OK;
    if (!create && it == links.end()) return KS_ERR_NOT_LINKED;
    if (create)
      links.push_back(to);
    else
      links.erase(it);
    value = links.empty() ? Value{} : Value{std::move(links)};
  }
  return Put(*view, {{owner, std::move(changed)}});
}

CommitOutcome Transaction::Commit(bool restart, const Progress& progress) {
  CommitOutcome out;
  auto finish = [&](KSStatus status, const std::u16string& text) {
    out.status = status;
    progress(100, text, true);
    return out;
  };
  if (root_ || kind_ == Kind::kActualPlan) return finish(KS_ERR_READ_ONLY, u"not committed");
  if (db_->Busy()) return finish(KS_ERR_TRANSACTION_BUSY, u"not committed");
  const std::optional<View> view = GetView();
  if (!view) return finish(KS_ERR_NO_SUCH_TRANSACTION, u"not committed");
  const Layer own = view->Layers().front();
  const View below = view->Below();
  if (own.delta->empty()) return finish(KS_OK, u"nothing to commit");
  // The layer the changes go to: the committed data, or a scenario's or plain parent's layer.
  const std::string target =
      kind_ == Kind::kPlain ? parent_->scenario_ : db_->FindScenario(scenario_)->parent;
  const PersistentTransaction* into = target.empty() ? nullptr : db_->FindScenario(target);
  const bool intoData = below.Layers().empty();
  if (into != nullptr && !ScenarioWritableBy(*into, actor_.user))
    return finish(KS_ERR_ACCESS_DENIED, u"not committed");
  const Schema& schema = db_->GetSchema();
  for (const auto& [id, entry] : *own.delta) {
    const Record* state = entry ? &*entry : below.Find(id);
    if (state == nullptr) continue;
    if (const KSStatus status = CheckLocks(*schema.FindClass(state->classId)); status != KS_OK)
      return finish(status, u"not committed");
  }

  struct BusyScope {
    Database& db;
    explicit BusyScope(Database& d) : db(d) { db.SetBusy(true); }
    ~BusyScope() { db.SetBusy(false); }
  } busy(*db_);
  const size_t total = own.delta->size();
  Reporter reporter(progress, total);
  reporter.At(0, 0, 0, u"checking " + ToUtf16(std::to_string(total)) + u" changes");

  std::vector<Finding> conflicts;
  for (const auto& [id, entry] : *own.delta) {
    const auto read = own.versions->read.find(id);
    if (read == own.versions->read.end() || below.VersionOf(id) == read->second) continue;
    const Record* state = entry ? &*entry : below.Find(id);
    conflicts.push_back(Finding{id, KS_ERR_COMMIT_CONFLICT, 1,
                                state ? state->classId : kNoClass, -1});
  }
  if (!conflicts.empty()) {
    if (restart) {
      // A scenario dropping its changes is a change of the database.
      if (!JournalCommit(below, {}, "", false))
        return finish(KS_ERR_WRITE_FAILED, u"not committed: the journal cannot be written");
      if (kind_ == Kind::kScenario) db_->SetModified(true);
      own.delta->clear();
      own.versions->Clear();
      db_->NoteChange();
    } else {
      out.findings = std::move(conflicts);
    }
    return finish(KS_ERR_COMMIT_CONFLICT, u"conflict");
  }

  out.findings = Validate(*view, below, *own.delta, [&](size_t done) {
    reporter.At(0, 50, done, u"checking changes");
  });
  const bool errors = std::any_of(out.findings.begin(), out.findings.end(),
                                  [](const Finding& f) { return f.severity > 0; });
  if (errors) return finish(KS_ERR_COMMIT_ERRORS, u"not committed: errors");

  if (!JournalCommit(below, *own.delta, target, intoData))
    return finish(KS_ERR_WRITE_FAILED, u"not committed: the journal cannot be written");

  // Only the plan that sessions work in has class triggers and root events.
  out.reachedPlan = intoData || (into != nullptr && into->parent.empty());
  out.plan = intoData ? "Root" : target;
  size_t done = 0;
  for (auto& [id, entry] : *own.delta) {
    const Record* before = below.Find(id);
    if (out.reachedPlan && (entry || before))
      out.changes.push_back(PlanChange{!before ? 1 : entry ? 2 : 4, id, entry ? *entry : *before});
    // Changes loaded with a scenario were not written since the database came online.
    const auto stamp = own.versions->written.find(id);
    const uint64_t written =
        stamp != own.versions->written.end() ? stamp->second : db_->NextSequence();
    if (intoData) {
      if (entry || before) db_->ApplyToBase(id, std::move(entry), written);
    } else {
      const Layer& layer = below.Layers().front();
      const auto read = own.versions->read.find(id);
      if (layer.delta->count(id) == 0 && layer.versions->read.count(id) == 0 &&
          read != own.versions->read.end())
        layer.versions->read.emplace(id, read->second);
      (*layer.delta)[id] = std::move(entry);
      layer.versions->written[id] = written;
    }
    reporter.At(50, 50, ++done, u"writing changes");
  }
  if (kind_ == Kind::kScenario || into != nullptr) db_->SetModified(true);
  own.delta->clear();
  own.versions->Clear();
  db_->NoteChange();
  ReleaseLocks();
  return finish(out.findings.empty() ? KS_OK : KS_COMMITTED_WITH_WARNINGS, u"committed");
}

KSStatus Transaction::Rollback(std::vector<std::string>& removedRoots) {
  removedRoots.clear();
  if (root_ || kind_ == Kind::kActualPlan) return KS_ERR_READ_ONLY;
  if (db_->Busy()) return KS_ERR_TRANSACTION_BUSY;
  if (kind_ == Kind::kPlain) {
    delta_.clear();
    versions_.Clear();
    db_->NoteChange();
    ReleaseLocks();
    return KS_OK;
  }
  const PersistentTransaction* s = db_->FindScenario(scenario_);
  if (s == nullptr) return KS_ERR_NO_SUCH_TRANSACTION;
  if (!ScenarioWritableBy(*s, actor_.user)) return KS_ERR_ACCESS_DENIED;
  const bool isRoot = s->parent.empty();
  std::vector<std::string> removed;
  if (const KSStatus status = RemoveScenario(*db_, scenario_, removed); status != KS_OK)
    return status;
  db_->SetModified(true);
  if (isRoot) removedRoots.push_back(scenario_);
  ReleaseLocks();
  return KS_OK;
}

KSStatus Transaction::SetDescription(const std::u16string& description) {
  if (kind_ != Kind::kScenario) return KS_ERR_INVALID_ARGUMENT;
  if (db_->Busy()) return KS_ERR_TRANSACTION_BUSY;
  PersistentTransaction* s = db_->FindScenario(scenario_);
  if (s == nullptr) return KS_ERR_NO_SUCH_TRANSACTION;
  if (!ScenarioWritableBy(*s, actor_.user)) return KS_ERR_ACCESS_DENIED;
  return DescribeScenario(*db_, *s, description);
}

bool Transaction::IsRootScenario() {
  const PersistentTransaction* s = kind_ == Kind::kScenario ? db_->FindScenario(scenario_) : nullptr;
  return s != nullptr && s->parent.empty();
}

KSStatus Transaction::Lock(ClassID cls, int32_t mode) {
  auto& locks = db_->Locks();
  auto mine = [&](const DatabaseLock& l) { return l.owner == this && l.cls == cls; };
  if (mode == 0) {
    locks.erase(std::remove_if(locks.begin(), locks.end(), mine), locks.end());
    return KS_OK;
  }
  if (mode != 1) return KS_ERR_INVALID_ARGUMENT;
  if (const KSStatus status = CheckChangeable(); status != KS_OK) return status;
  const Schema& schema = db_->GetSchema();
  const ClassDef* wanted = schema.FindClass(cls);
  for (const DatabaseLock& lock : locks) {
    if (lock.session == actor_.session) continue;
    const ClassDef* held = schema.FindClass(lock.cls);
    if (wanted == nullptr || held == nullptr || schema.IsDescendant(*wanted, *held) ||
        schema.IsDescendant(*held, *wanted))
      return KS_ERR_LOCKED;
  }
  if (std::none_of(locks.begin(), locks.end(), mine))
    locks.push_back(DatabaseLock{this, actor_.session, cls});
  return KS_OK;
}

void Transaction::ReleaseLocks() {
  auto& locks = db_->Locks();
  locks.erase(std::remove_if(locks.begin(), locks.end(),
                             [&](const DatabaseLock& l) { return l.owner == this; }),
              locks.end());
}

}  // namespace kestrel
