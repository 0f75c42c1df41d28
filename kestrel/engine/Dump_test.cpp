#include "kestrel/engine/Dump.h"

#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "kestrel/engine/SchemaReader.h"
#include "kestrel/engine/TestDirectory.h"

namespace kestrel {
namespace {

SchemaPtr TestSchema(const std::string& version = "1") {
  return ParseSchema(R"({"name": "D", "version": ")" + version + R"(", "classes": [
      {"name": "A", "fields": [{"name": "i", "type": 3}, {"name": "f", "type": 5},
                               {"name": "s", "type": 9}, {"name": "r", "type": 11, "references": "A"},
                               {"name": "b", "type": 16}, {"name": "t", "type": 6}]}],
      "linkIndexes": [{"name": "back", "class": "A", "target": "A", "via": "r"}]})",
                     "d.json");
}

Store Sample(const Schema& schema) {
  Store store;
  const ClassDef& a = *schema.FindClass("A");
  Record r{a.id, std::vector<Value>(a.allFields.size())};
  r.values[0] = int32_t{-5};
  r.values[1] = 3.25;
  r.values[2] = std::u16string(u"x\0y", 3);
  r.values[4] = Blob{0, 1, 2};
  r.values[5] = int32_t{1700000000};
  const RecordID first = store.Insert(r);
  r.values[3] = first;
  r.values[2] = std::u16string(u"😀");
  store.Insert(r);
  store.unknownRecords[store.nextId++] =
      UnknownRecord{"Gone", {"old"}, {type::kString}, {Value{std::u16string(u"kept")}}};
  PersistentTransaction t{"Plan", "", 0x100, u"desc", {}, u"ben", 1700000000, false, {}};
  t.delta[first] = std::nullopt;
  t.delta[2] = r;
  store.transactions.push_back(t);
  store.transactions.push_back(PersistentTransaction{"Sub", "Plan", 0x100, u"", {}, u"", 0, true, {}});
  return store;
}

// The sample with enough records of every kind of value (nulls, values that do not fit their
// field, records lacking trailing fields) that its dump spans several of the pieces a save
// hands over.
Store LargeSample(const Schema& schema) {
  Store store = Sample(schema);
  const ClassDef& a = *schema.FindClass("A");
  for (int k = 0; k < 64000; ++k) {
    Record r{a.id, std::vector<Value>(a.allFields.size())};
    if (k % 3 != 0) r.values[0] = int32_t{k * 7 - 5};
    if (k % 5 != 0) r.values[1] = k * 0.25;
    if (k % 2 != 0) r.values[2] = std::u16string(static_cast<size_t>(k % 7), u'x') + u"é😀";
    if (k % 8 == 3) r.values[2] = int32_t{4};
    if (k % 4 != 0) r.values[3] = int32_t{1};
    if (k % 6 == 1) r.values[4] = Blob(static_cast<size_t>(k % 11), static_cast<uint8_t>(k));
    if (k % 10 == 0) r.values.resize(3);
    store.Insert(r);
  }
  return store;
}

TEST(DumpTest, RoundTripsRecordsUnknownRecordsAndTransactions) {
  const SchemaPtr schema = TestSchema();
  const Store store = Sample(*schema);
  const std::string bytes = EncodeDump(*schema, store);
  const Store back = DecodeDump(bytes, *schema);
  EXPECT_EQ(back.nextId, store.nextId);
  ASSERT_EQ(back.records.size(), 2u);
  for (const auto& [id, record] : store.records)
    EXPECT_EQ(back.records.at(id).values, record.values);
  ASSERT_EQ(back.unknownRecords.size(), 1u);
  EXPECT_EQ(back.unknownRecords.begin()->second.className, "Gone");
  EXPECT_EQ(back.unknownRecords.begin()->second.values,
            store.unknownRecords.begin()->second.values);
  ASSERT_EQ(back.transactions.size(), 2u);
  EXPECT_EQ(back.transactions[0].description, u"desc");
  EXPECT_FALSE(back.transactions[0].delta.at(1).has_value());
  EXPECT_EQ(back.transactions[0].delta.at(2)->values, store.records.at(2).values);
  EXPECT_EQ(back.transactions[1].parent, "Plan");
  EXPECT_EQ(back.transactions[0].owner, u"ben");
  EXPECT_EQ(back.transactions[0].startDate, 1700000000);
  EXPECT_FALSE(back.transactions[0].isVersion);
  EXPECT_TRUE(back.transactions[1].isVersion);
  EXPECT_EQ(EncodeDump(*schema, back), bytes) << "encoding is deterministic";
  const DumpInfo info = ReadDumpInfo(bytes);
  EXPECT_EQ(info.schemaName, "D");
  EXPECT_EQ(info.recordCount, 3u);
  EXPECT_EQ(info.transactionCount, 2u);
}

TEST(DumpTest, EveryTruncationIsCorrupt) {
  const SchemaPtr schema = TestSchema();
  const std::string bytes = EncodeDump(*schema, Sample(*schema));
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_THROW(DecodeDump(bytes.substr(0, n), *schema), DumpCorrupt) << n;
}

TEST(DumpTest, AnotherSchemaVersionIsAMismatchNotCorruption) {
  const SchemaPtr schema = TestSchema();
  const std::string bytes = EncodeDump(*schema, Sample(*schema));
  EXPECT_THROW(DecodeDump(bytes, *TestSchema("2")), DumpSchemaMismatch);
}

// Replaces the checksum at the end of `bytes` with the right one for the rest.
std::string Resealed(std::string bytes) {
  if (bytes.size() < SHA256_DIGEST_LENGTH) return bytes;
  const size_t body = bytes.size() - SHA256_DIGEST_LENGTH;
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), body,
         reinterpret_cast<unsigned char*>(bytes.data() + body));
  return bytes;
}

// Small and large dumps alike: a wrong checksum is reported whatever else is wrong, and a dump
// sealed with the right one is judged by its contents.
TEST(DumpTest, AWrongChecksumOutweighsEveryOtherFault) {
  const SchemaPtr schema = TestSchema();
  for (const Store& store : {Sample(*schema), LargeSample(*schema)}) {
    const std::string good = EncodeDump(*schema, store);
    SCOPED_TRACE(good.size());
    std::string otherSchema = good;
    otherSchema[16] = 'E';  // the schema name "D"
    EXPECT_THROW(DecodeDump(otherSchema, *schema), DumpCorrupt);
    EXPECT_THROW(DecodeDump(Resealed(otherSchema), *schema), DumpSchemaMismatch);
    std::string cut = good.substr(0, good.size() - SHA256_DIGEST_LENGTH - 1) +
                      good.substr(good.size() - SHA256_DIGEST_LENGTH);
    EXPECT_THROW(DecodeDump(Resealed(cut), *schema), DumpCorrupt);
    EXPECT_THROW(ReadDumpInfo(Resealed(cut)), DumpCorrupt);
    std::string flipped = good;
    flipped[good.size() / 2] ^= 1;
    EXPECT_THROW(DecodeDump(flipped, *schema), DumpCorrupt);
    EXPECT_THROW(ReadDumpInfo(flipped), DumpCorrupt);
    EXPECT_EQ(DecodeDump(good, *schema).records.size(), store.records.size());
    EXPECT_EQ(ReadDumpInfo(good).recordCount, store.records.size() + store.unknownRecords.size());
  }
}

TEST(DumpTest, SavingWritesTheEncodingByteForByteOrLeavesTheFileAlone) {
  const SchemaPtr schema = TestSchema();
  Store store = LargeSample(*schema);
  TestDirectory dir("kestrel-dump-save");
  const std::string path = dir.Path() + "/s.dmp";
  for (int round = 0; round < 2; ++round) {
    std::string checksum;
    ASSERT_TRUE(SaveDump(path, *schema, store, checksum));
    const std::string encoded = EncodeDump(*schema, store);
    ASSERT_GT(encoded.size(), 2u << 20) << "the dump spans several pieces";
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(path, saved));
    EXPECT_TRUE(saved == encoded);
    EXPECT_EQ(checksum, DumpChecksum(encoded));
    store.records.erase(std::prev(store.records.end()));
  }
  std::string checksum = "kept";
  EXPECT_FALSE(SaveDump(dir.Path() + "/missing/s.dmp", *schema, store, checksum));
  EXPECT_EQ(checksum, "kept");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/missing"));
}

// The seed dumps were stored by earlier versions: each loads under its schema and encodes again
// to the same bytes, so that the format has not moved.
TEST(DumpTest, StoredDumpsLoadAndEncodeAgainByteForByte) {
  std::vector<SchemaPtr> schemas;
  for (const auto& entry : std::filesystem::directory_iterator(KR_SEED_SCHEMAS))
    schemas.push_back(ReadSchemaFile(entry.path().string()));
  int dumps = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KR_SEED_DUMPS)) {
    SCOPED_TRACE(entry.path().string());
    ++dumps;
    std::string bytes;
    ASSERT_EQ(ReadDumpFile(entry.path().string(), bytes), ReadOutcome::kOk);
    const DumpInfo info = ReadDumpInfo(bytes);
    const auto schema = std::find_if(schemas.begin(), schemas.end(), [&](const SchemaPtr& s) {
      return s->name == info.schemaName && s->version == info.schemaVersion;
    });
    ASSERT_NE(schema, schemas.end());
    const Store store = DecodeDump(bytes, **schema);
    EXPECT_EQ(store.records.size() + store.unknownRecords.size(), info.recordCount);
    EXPECT_GT(info.recordCount, 0u);
    EXPECT_TRUE(EncodeDump(**schema, store) == bytes);
  }
  EXPECT_GE(dumps, 3);
}

// Bounded runs of random damage (changed, inserted, removed bytes) under the sanitizers, with
// the checksum kept and with it made to match, so that the structure checks behind it are
// reached too: the reader answers a store, DumpCorrupt or DumpSchemaMismatch, nothing else.
TEST(DumpTest, RandomDamageIsCaughtByTheChecksumAndByTheStructureChecks) {
  const SchemaPtr schema = TestSchema();
  const std::string good = EncodeDump(*schema, Sample(*schema));
  std::mt19937 random(4711);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int structural = 0;
  while (std::chrono::steady_clock::now() < end) {
    std::string bytes = good;
    for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
      const size_t at = random() % (bytes.size() - SHA256_DIGEST_LENGTH);
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<char>(random());
          break;
        case 1:
          bytes.insert(at, 1, static_cast<char>(random()));
          break;
        default:
          bytes.erase(at, 1);
      }
    }
    if (bytes == good) continue;
    EXPECT_THROW(DecodeDump(bytes, *schema), DumpCorrupt);
    try {
      DecodeDump(Resealed(bytes), *schema);
    } catch (const DumpCorrupt&) {
      ++structural;
    } catch (const DumpSchemaMismatch&) {
    }
  }
  EXPECT_GT(structural, 100);
}

TEST(DumpTest, ANextIdNearTheIntegerLimitAndAnExpensivePasswordHashAreCorrupt) {
  const SchemaPtr schema = TestSchema();
  Store store = Sample(*schema);
  store.nextId = kMaxRecordId + 1;
  EXPECT_NO_THROW(DecodeDump(EncodeDump(*schema, store), *schema));
  store.nextId = kMaxRecordId + 2;
  EXPECT_THROW(DecodeDump(EncodeDump(*schema, store), *schema), DumpCorrupt);

  Store users = Sample(*schema);
  const ClassDef& user = *schema->FindClass("SYSUser");
  Record r{user.id, std::vector<Value>(user.allFields.size())};
  r.values[static_cast<size_t>(user.FieldIndex("password"))] =
      std::u16string(u"pbkdf2-sha256$2000000$00$00");
  users.Insert(r);
  EXPECT_THROW(DecodeDump(EncodeDump(*schema, users), *schema), DumpCorrupt);
}

// A dump of the first format: the same bytes without the owner, start date and isVersion of
// each transaction.
TEST(DumpTest, ReadsTheFirstFormat) {
  const SchemaPtr schema = TestSchema();
  Store store = Sample(*schema);
  store.transactions.resize(1);
  store.transactions[0].owner.clear();
  store.transactions[0].startDate = 0;
  store.transactions[0].isVersion = true;
  std::string bytes = EncodeDump(*schema, store);
  const std::string marker("d\0e\0s\0c\0", 8);
  const size_t at = bytes.find(marker);
  ASSERT_NE(at, std::string::npos);
  bytes.erase(at + marker.size(), 4 + 4 + 1);  // empty owner, start date 0, isVersion
  bytes[8] = 1;                                 // format version
  const Store back = DecodeDump(Resealed(bytes), *schema);
  ASSERT_EQ(back.transactions.size(), 1u);
  EXPECT_EQ(back.transactions[0].description, u"desc");
  EXPECT_TRUE(back.transactions[0].owner.empty());
  EXPECT_EQ(back.transactions[0].delta.size(), 2u);
}

// The file reader walks the structure as it reads: a sound dump comes back byte for byte; one
// that is cut, extended or whose counts overrun the file is refused as damaged, whatever its
// checksum would have said.
TEST(DumpTest, ReadingADumpFileChecksItsStructure) {
  const SchemaPtr schema = TestSchema();
  const std::string dump = EncodeDump(*schema, Sample(*schema));
  std::string hugeCount = dump;
  const size_t records = dump.find("Gone") + 4 + 4 + 4 + 3 + 4;  // after the class table
  ASSERT_EQ(hugeCount.substr(records, 8), std::string("\x03\0\0\0\0\0\0\0", 8));
  hugeCount[records + 6] = 1;
  const struct {
    const char* name;
    std::string bytes;
    ReadOutcome outcome;
  } cases[] = {
      {"sound", dump, ReadOutcome::kOk},
      {"one byte short", dump.substr(0, dump.size() - 1), ReadOutcome::kDamaged},
      {"half", dump.substr(0, dump.size() / 2), ReadOutcome::kDamaged},
      {"header only", dump.substr(0, 20), ReadOutcome::kDamaged},
      {"one byte more", dump + "x", ReadOutcome::kDamaged},
      {"a count beyond the file", Resealed(hugeCount),
       ReadOutcome::kDamaged},
      {"another kind", "KESTRDMX" + dump.substr(8), ReadOutcome::kWrongKind},
  };
  TestDirectory dir("kestrel-dump");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Path() + "/d.dmp";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
    std::string bytes = "stale";
    ASSERT_EQ(ReadDumpFile(path, bytes), c.outcome);
    EXPECT_EQ(bytes, c.outcome == ReadOutcome::kOk ? c.bytes : "");
  }
}

}  // namespace
}  // namespace kestrel
