// Users of a database by name: the case rules of FindUser and its index, kept in step with
// every change of the committed records, and lookups that do not grow with the user count.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "kestrel/engine/Database.h"
#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/TestDirectory.h"
#include "kestrel/engine/Text.h"

namespace kestrel {
namespace {

class UsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    schema_ = ParseSchema(R"({"name": "U", "version": "1", "classes": [
        {"name": "Item", "fields": [{"name": "name", "type": 9}]}]})",
                          "u.json");
    users_ = schema_->FindClass("SYSUser");
    nameField_ = static_cast<size_t>(users_->FieldIndex("name"));
    db_ = Database::CreateEmpty("U", schema_, temp_.Path() + "/u.dmp");
  }

  Record UserRecord(const std::u16string& name) const {
    Record record{users_->id, std::vector<Value>(users_->allFields.size())};
    record.values[nameField_] = name;
    return record;
  }
  // A user written as a commit writes it (no password hashing, so that many are cheap).
  RecordID Commit(const std::u16string& name) {
    const RecordID id = db_->NewRecordId();
    db_->ApplyToBase(id, UserRecord(name), db_->NextSequence());
    return id;
  }

  TestDirectory temp_{"kestrel-users"};
  SchemaPtr schema_;
  const ClassDef* users_ = nullptr;
  size_t nameField_ = 0;
  DatabasePtr db_;
};

TEST_F(UsersTest, NamesMatchWithoutRegardToTheCaseOfAToZOnly) {
  const RecordID ann = db_->AddUser(u"Ann", "pw", false);
  const RecordID umlaut = db_->AddUser(u"\u00C4rger", "pw", false);
  EXPECT_EQ(db_->FindUser(u"ann"), ann);
  EXPECT_EQ(db_->FindUser(u"ANN"), ann);
  EXPECT_EQ(db_->FindUser(u"SYSTEM"), db_->FindUser(u"system"));
  EXPECT_NE(db_->FindUser(u"system"), kNullRecord);
  EXPECT_EQ(db_->FindUser(u"\u00C4RGER"), umlaut);
  EXPECT_EQ(db_->FindUser(u"\u00E4rger"), kNullRecord) << "letters beyond a-z keep their case";
  EXPECT_EQ(db_->FindUser(u"An"), kNullRecord);
  EXPECT_EQ(db_->FindUser(u"Ann "), kNullRecord);
  EXPECT_EQ(db_->FindUser(u""), kNullRecord);
  EXPECT_THROW(db_->AddUser(u"aNN", "", false), std::invalid_argument);
  EXPECT_EQ(db_->Authenticate(u"ANN", "pw"), ann);
  EXPECT_EQ(db_->Authenticate(u"ANN", "wrong"), kNullRecord);
}

TEST_F(UsersTest, TheIndexFollowsRenamesDeletionsAndDirectChangesOfTheStore) {
  const RecordID bo = db_->AddUser(u"Bo", "", false);
  ASSERT_EQ(db_->FindUser(u"bo"), bo);

  db_->ApplyToBase(bo, UserRecord(u"Bob"), db_->NextSequence());
  EXPECT_EQ(db_->FindUser(u"bo"), kNullRecord);
  EXPECT_EQ(db_->FindUser(u"BOB"), bo);

  // Of two users of one name, the first made is the one found, also once it is gone.
  const RecordID twin = Commit(u"bob");
  EXPECT_EQ(db_->FindUser(u"Bob"), bo);
  db_->ApplyToBase(bo, std::nullopt, db_->NextSequence());
  EXPECT_EQ(db_->FindUser(u"Bob"), twin);

  // A record of another class with a user's name is no user.
  const ClassDef* item = schema_->FindClass("Item");
  db_->ApplyToBase(db_->NewRecordId(), Record{item->id, {Value{std::u16string(u"Cy")}}},
                   db_->NextSequence());
  EXPECT_EQ(db_->FindUser(u"Cy"), kNullRecord);

  // A user without a name text (null) is found by no name.
  Record unnamed = UserRecord(u"");
  unnamed.values[nameField_] = Value{};
  db_->ApplyToBase(db_->NewRecordId(), unnamed, db_->NextSequence());
  EXPECT_EQ(db_->FindUser(u""), kNullRecord);

  const RecordID direct = db_->Data().Insert(UserRecord(u"Dee"));
  EXPECT_EQ(db_->FindUser(u"dee"), direct) << "the index is built again after a direct change";
  db_->Data().records.erase(twin);
  EXPECT_EQ(db_->FindUser(u"bob"), kNullRecord);
}

// Seconds for `lookups` FindUser calls on a database of `count` users (the best of three).
double LookupSeconds(Database& db, int count, int lookups) {
  double best = 1e9;
  for (int round = 0; round < 3; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < lookups; ++i) {
      const std::u16string name = u"USER" + ToUtf16(std::to_string((i * 7919) % count));
      if (db.FindUser(name) == kNullRecord) ADD_FAILURE() << "user " << i << " not found";
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                              .count());
  }
  return best;
}

TEST_F(UsersTest, ALogOnAmongManyUsersCostsAboutWhatItCostsAmongFew) {
  constexpr int kFew = 200;
  constexpr int kMany = 20000;
  constexpr int kLookups = 2000;
  const auto filled = [&](int count) {
    DatabasePtr db = Database::CreateEmpty("U", schema_, temp_.Path() + "/many.dmp");
    for (int i = 0; i < count; ++i)
      db->Data().Insert(UserRecord(u"user" + ToUtf16(std::to_string(i))));
    EXPECT_EQ(db->FindUser(u"user0"), db->FindUser(u"USER0"));  // builds the index
    return db;
  };
  const DatabasePtr few = filled(kFew);
  const DatabasePtr many = filled(kMany);
  EXPECT_EQ(many->FindUser(u"User19999"), many->FindUser(u"user19999"));
  EXPECT_NE(many->FindUser(u"user19999"), kNullRecord);
  EXPECT_EQ(many->FindUser(u"user20000"), kNullRecord);
  const double fewSeconds = LookupSeconds(*few, kFew, kLookups);
  const double manySeconds = LookupSeconds(*many, kMany, kLookups);
  // A walk over the records would cost about 100 times as much, an index a few steps more.
  EXPECT_LT(manySeconds, 25 * fewSeconds + 0.05)
      << "few: " << fewSeconds << " s, many: " << manySeconds << " s";
}

}  // namespace
}  // namespace kestrel
