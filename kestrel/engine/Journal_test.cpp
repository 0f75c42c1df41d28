// The journal: what a restart brings back from the last dump and the journal is what the
// database held, after every kind of change; torn, damaged and stale journals; refusals.
#include "kestrel/engine/Journal.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Integrity.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/Server.h"
#include "kestrel/engine/TestDirectory.h"
#include "kestrel/engine/Transaction.h"

namespace kestrel {
namespace {

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    schema_ = ParseSchema(R"({"name": "J", "version": "1", "classes": [
        {"name": "Item", "fields": [{"name": "name", "type": 9},
                                    {"name": "n", "type": 3},
                                    {"name": "partP", "type": 11, "references": "Item"}]}]})",
                          "j.json");
    item_ = schema_->FindClass("Item");
    db_ = Database::CreateEmpty("J", schema_, dir_ + "/j.dmp");
    ASSERT_EQ(db_->EnableJournal(Journal()), KS_OK);
    ASSERT_EQ(Transaction::OpenRoot(db_, "", Actor{u"system", 1}, root_), KS_OK);
  }

  std::string Journal() const { return dir_ + "/j.jnl"; }

  // The database as the next start of its server brings it back: the archive, then the journal.
  DatabasePtr Reloaded(std::string* problem = nullptr) {
    DatabasePtr db;
    std::string found;
    EXPECT_EQ(LoadOnlineDatabase(OnlineEntry{"J", "J", "1", dir_ + "/j.dmp", Journal()}, schema_,
                                 db, found),
              KS_OK);
    if (problem != nullptr)
      *problem = found;
    else
      EXPECT_EQ(found, "");
    return db;
  }

  // The data a save would write, apart from the next free ID, which uncommitted inserts move.
  std::string Saved(const Database& db) const {
    Store copy = db.Committed();
    copy.nextId = 1 << 30;
    return EncodeDump(*schema_, copy);
  }

  std::shared_ptr<Transaction> Child(const std::shared_ptr<Transaction>& parent, int32_t flags = 0,
                                     const std::string& name = "") {
    std::shared_ptr<Transaction> child;
    KSStatus granted;
    EXPECT_EQ(parent->Start(flags, name, child, granted), KS_OK);
    return child;
  }

  RecordID Insert(Transaction& t, const char16_t* name, RecordID part = kNullRecord) {
    RecordID id = kNullRecord;
    EXPECT_EQ(t.Insert(*item_,
                       {Value{std::u16string(name)}, Value{int32_t{7}},
                        part == kNullRecord ? Value{} : Value{part}},
                       id),
              KS_OK);
    return id;
  }

  KSStatus Commit(Transaction& t) {
    return t.Commit(false, [](int32_t, const std::u16string&, bool) {}).status;
  }

  // Commits one insert into the data.
  RecordID CommitInsert(const char16_t* name) {
    const auto t = Child(root_);
    const RecordID id = Insert(*t, name);
    EXPECT_EQ(Commit(*t), KS_OK);
    return id;
  }

  TestDirectory temp_{"kestrel-journal"};
  const std::string dir_ = temp_.Path();
  SchemaPtr schema_;
  const ClassDef* item_ = nullptr;
  DatabasePtr db_;
  std::shared_ptr<Transaction> root_;
};

TEST_F(JournalTest, ARestartBringsBackEveryKindOfChangeThatASaveWouldWrite) {
  auto same = [&](const char* step) { EXPECT_EQ(Saved(*Reloaded()), Saved(*db_)) << step; };
  const auto t = Child(root_);
  const RecordID a = Insert(*t, u"a");
  const RecordID b = Insert(*t, u"b", a);
  ASSERT_EQ(Commit(*t), KS_OK);
  same("inserts");
  ASSERT_EQ(t->SetValues(a, {{1, Value{int32_t{8}}}}), KS_OK);
  ASSERT_EQ(t->SetValues(b, {{2, Value{}}}), KS_OK);
  ASSERT_EQ(t->Destroy(a), KS_OK);
  ASSERT_EQ(Commit(*t), KS_OK);
  same("a change that ends in a deletion, and a change");

  const auto plan = Child(root_, 0x100, "Plan");
  same("a scenario and its row");
  ASSERT_EQ(plan->SetValues(b, {{0, Value{std::u16string(u"in plan")}}}), KS_OK);
  same("a change made directly in a scenario");
  const auto inPlan = Child(plan);
  Insert(*inPlan, u"planned");
  ASSERT_EQ(Commit(*inPlan), KS_OK);
  same("a commit into a scenario");
  ASSERT_EQ(plan->SetDescription(u"what if"), KS_OK);
  same("a description");
  const auto sub = Child(plan, 0x100, "Sub");
  ASSERT_EQ(Commit(*plan), KS_OK);
  EXPECT_TRUE(db_->FindScenario("Plan")->delta.empty());
  same("a scenario committed into the data");
  std::vector<std::string> removed;
  ASSERT_EQ(plan->Rollback(removed), KS_OK);
  EXPECT_EQ(db_->FindScenario("Sub"), nullptr);
  same("a scenario removed with its descendant");

  db_->AddUser(u"ann", "pw", false);
  db_->SetLastLogin(db_->FindUser(u"ann"), 1700000000);
  same("users and log-on times");
}

TEST_F(JournalTest, WhatWasNotCommittedStaysOut) {
  CommitInsert(u"kept");
  const std::string committed = Saved(*db_);
  const auto open = Child(root_);
  Insert(*open, u"pending");
  const auto nested = Child(Child(root_));
  Insert(*nested, u"nested");
  ASSERT_EQ(Commit(*nested), KS_OK) << "into its plain parent, which never commits";
  EXPECT_EQ(Saved(*Reloaded()), committed);
}

TEST_F(JournalTest, ATornLastEntryLoadsUpToTheEntryBeforeAndAppendingResumesThere) {
  CommitInsert(u"one");
  const std::string afterOne = Saved(*db_);
  const int64_t before = FileSize(Journal());
  CommitInsert(u"two");
  const int64_t after = FileSize(Journal());
  ASSERT_GT(after, before);
  ASSERT_EQ(::truncate(Journal().c_str(), (before + after) / 2), 0);
  db_.reset();

  DatabasePtr back = Reloaded();
  EXPECT_EQ(Saved(*back), afterOne);
  EXPECT_EQ(FileSize(Journal()), before) << "the torn entry is cut off";
  std::shared_ptr<Transaction> root;
  ASSERT_EQ(Transaction::OpenRoot(back, "", Actor{u"system", 1}, root), KS_OK);
  const auto t = Child(root);
  Insert(*t, u"three");
  ASSERT_EQ(Commit(*t), KS_OK);
  EXPECT_EQ(Saved(*Reloaded()), Saved(*back)) << "the entry after the cut is read";
}

TEST_F(JournalTest, ADamagedEntryEndsTheReplayAndIsReported) {
  CommitInsert(u"one");
  const std::string afterOne = Saved(*db_);
  const int64_t second = FileSize(Journal());
  CommitInsert(u"two");
  CommitInsert(u"three");
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(Journal(), bytes));
  bytes[static_cast<size_t>(second) + 10] ^= 0x20;
  ASSERT_TRUE(WriteFileAtomically(Journal(), bytes));
  db_.reset();
  std::string problem;
  EXPECT_EQ(Saved(*Reloaded(&problem)), afterOne);
  EXPECT_NE(problem.find("entry 2 is damaged"), std::string::npos) << problem;
}

TEST_F(JournalTest, AJournalOfAnotherDumpIsLeftOverFromASaveAndIsNotReplayed) {
  const RecordID id = CommitInsert(u"old");
  const std::string stale = dir_ + "/stale";
  ASSERT_TRUE(std::filesystem::copy_file(Journal(), stale));
  const auto t = Child(root_);
  ASSERT_EQ(t->SetValues(id, {{0, Value{std::u16string(u"new")}}}), KS_OK);
  ASSERT_EQ(Commit(*t), KS_OK);
  ASSERT_TRUE(db_->Save());
  const std::string saved = Saved(*db_);
  const int64_t fresh = FileSize(Journal());
  std::filesystem::rename(stale, Journal());
  db_.reset();
  EXPECT_EQ(Saved(*Reloaded()), saved);
  EXPECT_EQ(FileSize(Journal()), fresh) << "it starts afresh";
}

TEST_F(JournalTest, ASaveStartsTheJournalAfreshAndDisablingSavesFirst) {
  const int64_t empty = FileSize(Journal());
  CommitInsert(u"one");
  EXPECT_GT(FileSize(Journal()), empty);
  ASSERT_TRUE(db_->Save());
  EXPECT_EQ(FileSize(Journal()), empty);
  EXPECT_EQ(Saved(*Reloaded()), Saved(*db_));

  CommitInsert(u"two");
  ASSERT_EQ(db_->DisableJournal(), KS_OK);
  EXPECT_FALSE(db_->Modified()) << "what the journal held is in the archive now";
  EXPECT_FALSE(db_->JournalActive());
  const int64_t left = FileSize(Journal());
  CommitInsert(u"three");
  EXPECT_EQ(FileSize(Journal()), left);
}

TEST_F(JournalTest, OnlyAMissingOrEmptyFileOrAJournalOfTheDatabaseIsTakenOver) {
  const std::string other = dir_ + "/notes.txt";
  ASSERT_TRUE(WriteFileAtomically(other, "keep me"));
  EXPECT_EQ(db_->EnableJournal(other), KS_ERR_NOT_A_JOURNAL);
  std::string text;
  EXPECT_TRUE(ReadWholeFile(other, text) && text == "keep me");
  EXPECT_EQ(db_->JournalFile(), Journal()) << "the active journal stays";

  const DatabasePtr second = Database::CreateEmpty("K", schema_, dir_ + "/k.dmp");
  ASSERT_EQ(second->EnableJournal(dir_ + "/k.jnl"), KS_OK);
  EXPECT_EQ(db_->EnableJournal(dir_ + "/k.jnl"), KS_ERR_NOT_A_JOURNAL);
  std::string owner;
  EXPECT_TRUE(Journal::Owner(dir_ + "/k.jnl", owner));
  EXPECT_EQ(owner, "K");

  ASSERT_TRUE(WriteFileAtomically(dir_ + "/empty", ""));
  EXPECT_EQ(db_->EnableJournal(dir_ + "/empty"), KS_OK);
  EXPECT_EQ(db_->EnableJournal(Journal()), KS_OK) << "its own old journal";
}

TEST_F(JournalTest, AJournalThatCannotBeUsedLeavesTheDatabaseWithoutOne) {
  CommitInsert(u"one");
  ASSERT_TRUE(db_->Save());
  db_.reset();
  std::filesystem::remove(Journal());
  std::string problem;
  EXPECT_FALSE(Reloaded(&problem)->JournalActive());
  EXPECT_NE(problem.find("cannot be read"), std::string::npos) << problem;

  const DatabasePtr other = Database::CreateEmpty("K", schema_, dir_ + "/k.dmp");
  ASSERT_EQ(other->EnableJournal(Journal()), KS_OK);
  EXPECT_FALSE(Reloaded(&problem)->JournalActive());
  EXPECT_NE(problem.find("journal of database K"), std::string::npos) << problem;
}

TEST_F(JournalTest, RepairsAreJournaled) {
  ASSERT_EQ(db_->DisableJournal(), KS_OK);
  const RecordID id = CommitInsert(u"refers");
  db_->Data().records.at(id).values[2] = int32_t{999};
  db_->Data().unknownRecords[db_->NewRecordId()] = UnknownRecord{"Gone", {}, {}, {}};
  ASSERT_EQ(db_->EnableJournal(Journal()), KS_OK);
  ASSERT_EQ(CheckIntegrity(*db_, true).size(), 2u);
  EXPECT_TRUE(CheckIntegrity(*db_, false).empty());
  EXPECT_EQ(Saved(*Reloaded()), Saved(*db_));
}

// An append that the file system refuses half-way changes nothing, and leaves no torn entry
// that would hide the entries after it.
TEST_F(JournalTest, AWriteThatFailsRefusesTheChangeAndLeavesTheJournalWhole) {
  const RecordID id = CommitInsert(u"one");
  const std::string before = Saved(*db_);
  const int64_t size = FileSize(Journal());
  const auto t = Child(root_);
  ASSERT_EQ(t->SetValues(id, {{0, Value{std::u16string(200, u'x')}}}), KS_OK);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(size + 20);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  const KSStatus refused = Commit(*t);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(refused, KS_ERR_WRITE_FAILED);
  EXPECT_EQ(Saved(*db_), before);
  EXPECT_EQ(FileSize(Journal()), size);
  ASSERT_EQ(Commit(*t), KS_OK) << "the changes are kept for another try";
  EXPECT_EQ(Saved(*Reloaded()), Saved(*db_));
}

}  // namespace
}  // namespace kestrel
