// A transaction of a database: a layer of changes (inserted, changed and deleted records, link
// changes being changes of records) over its parent's view. Three kinds:
// - the actual plan: no layer of its own; its view is the committed data. It is a session's
//   root (or found as "Root") and changes nothing directly: its children commit into the data.
// - a scenario (persistent transaction): its layer is the scenario's stored changes, shared by
//   every Transaction that stands for it; it survives the Transaction. As a session's root it
//   changes nothing directly either.
// - a plain transaction: its layer is its own and goes away with it.
// Reads see the own layer over the parent's view, never another transaction's uncommitted
// layer. Every write is stamped with a new commit sequence number; a layer remembers the
// version that its parent's view showed of each record when it first read it, and a commit
// fails with a conflict when a record it changed shows another version in the parent by now.
// Every operation answers a status of the Database API and changes nothing when it fails.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/engine/Database.h"
#include "kestrel/engine/View.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

namespace txflag {
constexpr int32_t kPersistent = 0x100;
constexpr int32_t kReadOnly = 0x200;
constexpr int32_t kWithoutCommitIntent = 0x400;
constexpr int32_t kWithCommitIntent = 0x800;
constexpr int32_t kPrivate = 0x1000;    // scenario visible to its owner only
constexpr int32_t kProtected = 0x2000;  // scenario that only its owner may change
constexpr int32_t kVisibility = kPrivate | kProtected;
constexpr int32_t kAll = kPersistent | kReadOnly | kWithoutCommitIntent | kWithCommitIntent |
                         kVisibility;
}  // namespace txflag

// Who works in a transaction: locks and scenario visibility depend on it.
struct Actor {
  std::u16string user;
  uint64_t session = 0;
};

// A finding of a commit: an error (severity 1) blocks it, a warning (0) does not.
struct Finding {
  RecordID record = kNullRecord;
  int32_t code = 0;
  int16_t severity = 1;
  ClassID cls = kNoClass;
  int32_t field = -1;  // position in the class's fields, -1 none
};

// A change that a commit brought into a plan (the actual plan or a root scenario).
struct PlanChange {
  int32_t kind = 0;  // 1 inserted, 2 changed, 4 deleted
  RecordID id = kNullRecord;
  Record record;  // after the change; before it for a deletion
};

struct CommitOutcome {
  KSStatus status = KS_OK;  // KS_OK, KS_COMMITTED_WITH_WARNINGS or the failure
  std::vector<Finding> findings;
  bool reachedPlan = false;  // the changes reached `plan`: "Root" or a root scenario's name
  std::string plan;
  std::vector<PlanChange> changes;
};

// Progress of a commit: percentage 0..100, a text, and whether this is the last report.
using Progress = std::function<void(int32_t, const std::u16string&, bool)>;

class Transaction : public std::enable_shared_from_this<Transaction> {
 public:
  // A session's root: the actual plan (plan empty or "Root") or the root scenario `plan`.
  // KS_ERR_NO_SUCH_TRANSACTION when there is no such root scenario visible to the actor.
  static KSStatus OpenRoot(const DatabasePtr& db, const std::string& plan, const Actor& actor,
                           std::shared_ptr<Transaction>& root);
  // A persistent transaction by name ("Root": the actual plan as a root), or
  // KS_ERR_NO_SUCH_TRANSACTION. A protected scenario of another user is found read-only.
  static KSStatus Find(const DatabasePtr& db, const std::string& name, const Actor& actor,
                       std::shared_ptr<Transaction>& found);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Starts a child with the creation flags (txflag). `granted` is KS_READ_ONLY_GRANTED when
  // read-write was asked for but the child is read-only (under a read-only parent).
  KSStatus Start(int32_t flags, const std::string& name, std::shared_ptr<Transaction>& child,
                 KSStatus& granted);

  const DatabasePtr& Db() const { return db_; }
  bool Persistent() const { return kind_ == Kind::kScenario; }
  bool ReadOnly() const { return readOnly_; }
  // The scenario's name; "Root" for the actual plan; empty for a plain transaction.
  std::string Name() const;
  // Whether the transaction works in a scenario (its own or an ancestor's) rather than in the
  // actual plan: class and field access follow the version access then.
  bool InVersion() const;

  // The view for one call; none when a scenario below was removed.
  std::optional<View> GetView();
  // Whether this stands for a scenario directly under Root.
  bool IsRootScenario();
  // Remembers the version the parent's view shows of the record, unless the transaction read
  // or wrote it before. Reads through objects call it; writes do it themselves.
  void NoteRead(const View& view, RecordID id);

  // Writes `values` (positions in the class's fields, each with its new value) into the record.
  KSStatus SetValues(RecordID id, const std::vector<std::pair<size_t, Value>>& values);
  // Inserts a record of the class with every field given (defaults are the caller's).
  KSStatus Insert(const ClassDef& cls, std::vector<Value> values, RecordID& id);
  // Deletes the record: KS_ERR_DELETE_REFERENCED while another record refers to it.
  KSStatus Destroy(RecordID id);
  // Deletes every record of the class and its subclasses that `keep` does not keep (none keeps
  // nothing); all or nothing. `keep` decides for each record (given the view, its ID and the
  // record) before anything is deleted; a status other than KS_OK from it ends the call with
  // that status and nothing deleted. `count` gets the number deleted.
  using Keep = std::function<KSStatus(const View&, RecordID, const Record&, bool& keep)>;
  KSStatus DestroyAll(const ClassDef& cls, const Keep& keep, int32_t& count);
  // Links `to` to `from` through the type-14 field `field` of from's class (a stored list, or
  // the reference `via` of a computed link), or removes that link.
  KSStatus Link(RecordID from, const std::string& field, RecordID to, bool create);

  // Merges the changes into the parent (the committed data under the actual plan) after the
  // conflict check and the validation; all or nothing. With `restart`, a conflict drops the
  // changes and the transaction goes on over the new state.
  CommitOutcome Commit(bool restart, const Progress& progress);
  // Drops the changes. A scenario is removed altogether (with its descendants and rows);
  // `removed` gets the names of the removed root scenarios.
  KSStatus Rollback(std::vector<std::string>& removedRoots);
  KSStatus SetDescription(const std::u16string& description);
  // mode 1 takes a write lock on the class (kNoClass: the database), 0 releases it.
  KSStatus Lock(ClassID cls, int32_t mode);

 private:
  enum class Kind { kActualPlan, kScenario, kPlain };
  enum class Write { kInsert, kChange, kDelete };

  Transaction(DatabasePtr db, Kind kind, Actor actor)
      : db_(std::move(db)), kind_(kind), actor_(std::move(actor)) {}
  static KSStatus Open(const DatabasePtr& db, const std::string& name, const Actor& actor,
                       bool asRoot, std::shared_ptr<Transaction>& out);

  // Refusals common to every direct change of a record of `cls`.
  KSStatus CheckWrite(const View& view, const ClassDef& cls, RecordID id, Write write) const;
  KSStatus CheckLocks(const ClassDef& cls) const;
  KSStatus CheckChangeable() const;
  // Deletes the records after every check; all or nothing.
  KSStatus DestroyRecords(const View& view, const std::vector<RecordID>& ids);
  // Puts the records' new states (nullopt: deleted) into the own layer. A scenario's layer is
  // kept with the database: its changes reach the journal first (KS_ERR_WRITE_FAILED, nothing
  // put, when they cannot) and mark the database modified.
  using Changes = std::vector<std::pair<RecordID, std::optional<Record>>>;
  KSStatus Put(const View& view, Changes changes);
  // Journals what a commit is about to do (see Commit); false when the journal refuses it.
  bool JournalCommit(const View& below, const Delta& delta, const std::string& target,
                     bool intoData);
  void ReleaseLocks();

  DatabasePtr db_;
  Kind kind_;
  Actor actor_;
  std::string scenario_;                 // kScenario: its name
  std::shared_ptr<Transaction> parent_;  // kPlain: the parent
  bool root_ = false;                    // a session's root: no direct changes, no commit
  bool readOnly_ = false;                // no changes, and children are read-only
  Delta delta_;                          // kPlain: the own layer
  Versions versions_;
};

// Whether the scenario is visible to the user, and whether the user may change it.
bool ScenarioVisibleTo(const PersistentTransaction& scenario, const std::u16string& user);
bool ScenarioWritableBy(const PersistentTransaction& scenario, const std::u16string& user);

}  // namespace kestrel
