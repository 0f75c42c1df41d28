// The engine's transactions where the C functions do not reach yet (inserts), and the
// indexes and scenario rows that commits and loads keep in step.
#include "kestrel/engine/Transaction.h"

#include <gtest/gtest.h>

#include "kestrel/engine/AsciiFormat.h"
#include "kestrel/engine/Dump.h"
#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/SchemaReader.h"

namespace kestrel {
namespace {

class EngineTransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    schema_ = ParseSchema(R"({"name": "E", "version": "1", "classes": [
        {"name": "Base", "flags": 1, "fields": [{"name": "key", "type": 9, "required": true}]},
        {"name": "Leaf", "base": "Base", "fields": [{"name": "n", "type": 3}]},
        {"name": "Other", "fields": [{"name": "key", "type": 9}]}],
        "globalIndexes": [{"name": "byKey", "class": "Base", "fields": ["key"], "unique": true}]})",
                          "e.json");
    db_ = Database::CreateEmpty("E", schema_, "/nonexistent/e.dmp");
    leaf_ = schema_->FindClass("Leaf");
    ASSERT_EQ(Transaction::OpenRoot(db_, "", Actor{u"system", 1}, root_), KS_OK);
  }

  std::shared_ptr<Transaction> Child(const std::shared_ptr<Transaction>& parent) {
    std::shared_ptr<Transaction> child;
    KSStatus granted;
    EXPECT_EQ(parent->Start(0x800, "t", child, granted), KS_OK);
    return child;
  }

  RecordID Insert(Transaction& t, const char16_t* key, KSStatus expected = KS_OK) {
    RecordID id = kNullRecord;
    EXPECT_EQ(t.Insert(*leaf_, {Value{std::u16string(key)}, Value{int32_t{1}}}, id), expected);
    return id;
  }

  static const Progress kQuiet;
  SchemaPtr schema_;
  DatabasePtr db_;
  const ClassDef* leaf_ = nullptr;
  std::shared_ptr<Transaction> root_;
};

const Progress EngineTransactionTest::kQuiet = [](int32_t, const std::u16string&, bool) {};

TEST_F(EngineTransactionTest, InsertsReachTheClassIndexAndTheUniqueKeysAtCommitOnly) {
  const auto t = Child(root_);
  const RecordID a = Insert(*t, u"a");
  const RecordID b = Insert(*t, u"b");
  EXPECT_GT(b, a);
  EXPECT_TRUE(db_->Index().Members(leaf_->id).empty());
  EXPECT_EQ(t->GetView()->MembersOf(*schema_->FindClass("Base")), (std::vector<RecordID>{a, b}));
  ASSERT_EQ(t->Commit(false, kQuiet).status, KS_OK);
  EXPECT_EQ(db_->Index().Members(leaf_->id), (std::vector<RecordID>{a, b}));
  EXPECT_EQ(db_->Index().Find(schema_->globalIndexes.back(), {Value{std::u16string(u"b")}}),
            std::vector<RecordID>{b});

  const auto second = Child(root_);
  Insert(*second, u"a");  // the committed record a has this key
  Insert(*second, u"c");
  Insert(*second, u"c");  // and so has the one before
  const CommitOutcome out = second->Commit(false, kQuiet);
  EXPECT_EQ(out.status, KS_ERR_COMMIT_ERRORS);
  ASSERT_EQ(out.findings.size(), 3u);
  for (const Finding& f : out.findings) EXPECT_EQ(f.code, KS_ERR_DUPLICATE_KEY);

  const auto third = Child(root_);
  ASSERT_EQ(third->Destroy(a), KS_OK);
  const RecordID again = Insert(*third, u"a");
  ASSERT_EQ(third->Commit(false, kQuiet).status, KS_OK) << "the old key went with its record";
  EXPECT_EQ(db_->Index().Members(leaf_->id), (std::vector<RecordID>{b, again}));
}

TEST_F(EngineTransactionTest, InsertsAreRefusedForAbstractClassesBadValuesAndExhaustedIds) {
  const auto t = Child(root_);
  RecordID id;
  EXPECT_EQ(t->Insert(*schema_->FindClass("Base"), {Value{std::u16string(u"x")}}, id),
            KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(t->Insert(*leaf_, {Value{int32_t{1}}, Value{int32_t{1}}}, id), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(t->Insert(*leaf_, {Value{}}, id), KS_ERR_INVALID_ARGUMENT);
  db_->Data().nextId = kMaxRecordId + 1;
  Insert(*t, u"late", KS_ERR_DATABASE_FULL);
  EXPECT_EQ(Insert(*root_, u"root", KS_ERR_READ_ONLY), kNullRecord);
}

TEST_F(EngineTransactionTest, AScenarioLoadedWithoutVersionsCommitsAndItsRowFollowsIt) {
  PersistentTransaction plan;
  plan.name = "Plan";
  plan.flags = 0x100 | 0x2000;
  ASSERT_EQ(CreateScenario(*db_, plan), KS_OK);
  EXPECT_EQ(CreateScenario(*db_, plan), KS_ERR_TRANSACTION_EXISTS);
  plan.name = "Orphan";
  plan.parent = "Nothing";
  EXPECT_EQ(CreateScenario(*db_, plan), KS_ERR_NO_SUCH_TRANSACTION);

  // As if loaded: changes without versions, and the owner known only from the row.
  db_->FindScenario("Plan")->delta[db_->Data().NewId()] =
      Record{leaf_->id, {Value{std::u16string(u"s")}, Value{}}};
  const ClassDef& rows = *schema_->FindClass("_DBTransaction");
  const RecordID row = db_->Index().Members(rows.id).front();
  Record changed = db_->Committed().records.at(row);
  changed.values[static_cast<size_t>(rows.FieldIndex("userName"))] = std::u16string(u"anna");
  db_->ApplyToBase(row, changed, db_->NextSequence());
  db_->SetModified(false);
  SyncScenarioRows(*db_);
  EXPECT_EQ(db_->FindScenario("Plan")->owner, u"anna");
  EXPECT_FALSE(db_->Modified()) << "the row agreed already";

  std::shared_ptr<Transaction> scenario;
  ASSERT_EQ(Transaction::Find(db_, "Plan", Actor{u"ANNA", 2}, scenario), KS_OK);
  EXPECT_FALSE(scenario->ReadOnly()) << "user names ignore case";
  ASSERT_EQ(scenario->Commit(false, kQuiet).status, KS_OK);
  EXPECT_EQ(db_->Index().Members(leaf_->id).size(), 1u);
  std::shared_ptr<Transaction> other;
  ASSERT_EQ(Transaction::Find(db_, "Plan", Actor{u"ben", 3}, other), KS_OK);
  EXPECT_TRUE(other->ReadOnly()) << "protected for everybody but its owner";
}

// Cursors keep what they read while the change count stands still: every change that a view
// may show must move it, and reading must not.
TEST_F(EngineTransactionTest, EveryChangeThatAViewMayShowMovesTheChangeCount) {
  uint64_t seen = db_->Changes();
  auto moved = [&] {
    const bool changed = db_->Changes() != seen;
    seen = db_->Changes();
    return changed;
  };
  const auto t = Child(root_);
  const RecordID a = Insert(*t, u"a");
  EXPECT_TRUE(moved()) << "a write";
  ASSERT_NE(t->GetView()->Find(a), nullptr);
  EXPECT_FALSE(moved()) << "a read";
  const auto inner = Child(t);
  Insert(*inner, u"b");
  moved();
  ASSERT_EQ(inner->Commit(false, kQuiet).status, KS_OK);
  EXPECT_TRUE(moved()) << "a commit into the parent's layer";
  ASSERT_EQ(t->Commit(false, kQuiet).status, KS_OK);
  EXPECT_TRUE(moved()) << "a commit into the data";
  Insert(*t, u"c");
  moved();
  std::vector<std::string> removed;
  ASSERT_EQ(t->Rollback(removed), KS_OK);
  EXPECT_TRUE(moved()) << "a rollback";
  std::shared_ptr<Transaction> scenario;
  KSStatus granted;
  ASSERT_EQ(root_->Start(0x100, "S", scenario, granted), KS_OK);
  EXPECT_TRUE(moved()) << "a new scenario";
  ASSERT_EQ(scenario->Rollback(removed), KS_OK);
  EXPECT_TRUE(moved()) << "a removed scenario";
}

TEST_F(EngineTransactionTest, TheClassListsALoadHandsOverMatchThoseBuiltFromTheStore) {
  // Records out of ID order, of two classes.
  const std::string text =
      "KESTREL-TEXT 1\nSCHEMA\tE\t1\nNEXT\t20\nR\t7\tLeaf\tkey=g\tn=1\nR\t3\tOther\tkey=c\n"
      "R\t5\tLeaf\tkey=e\nR\t12\tLeaf\tkey=l\nEND\n";
  ClassMembers members;
  db_->Data() = ReadAscii(text, *schema_, &members);
  const ClassID other = schema_->FindClass("Other")->id;
  ASSERT_EQ(members.size(), schema_->classes.size());
  EXPECT_EQ(members[static_cast<size_t>(leaf_->id - 1)], (std::vector<RecordID>{5, 7, 12}));
  EXPECT_EQ(members[static_cast<size_t>(other - 1)], std::vector<RecordID>{3});
  db_->Index().Adopt(std::move(members));
  EXPECT_EQ(db_->Index().Members(leaf_->id), (std::vector<RecordID>{5, 7, 12}));

  ASSERT_EQ(Transaction::OpenRoot(db_, "", Actor{u"system", 1}, root_), KS_OK);
  const auto t = Child(root_);
  ASSERT_EQ(t->Destroy(7), KS_OK);
  const RecordID added = Insert(*t, u"z");
  ASSERT_EQ(t->Commit(false, kQuiet).status, KS_OK);
  const std::vector<RecordID> kept = db_->Index().Members(leaf_->id);
  EXPECT_EQ(kept, (std::vector<RecordID>{5, 12, added}));
  db_->Index().Invalidate();
  EXPECT_EQ(db_->Index().Members(leaf_->id), kept) << "as built from the store";

  ClassMembers fromDump;
  DecodeDump(EncodeDump(*schema_, db_->Committed()), *schema_, &fromDump);
  EXPECT_EQ(fromDump[static_cast<size_t>(leaf_->id - 1)], kept);
  EXPECT_EQ(fromDump[static_cast<size_t>(other - 1)], std::vector<RecordID>{3});
}

}  // namespace
}  // namespace kestrel
