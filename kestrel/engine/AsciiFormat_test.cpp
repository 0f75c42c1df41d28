#include "kestrel/engine/AsciiFormat.h"

#include <gtest/gtest.h>

#include "kestrel/engine/SchemaReader.h"

namespace kestrel {
namespace {

SchemaPtr AsciiTestSchema() {
  return ParseSchema(R"({"name": "T", "version": "1", "classes": [
      {"name": "A", "fields": [{"name": "s", "type": 9}, {"name": "c", "type": 15},
                               {"name": "d", "type": 4}]}]})",
                     "t.json");
}

TEST(AsciiFormatTest, RoundTripsTransactionsWithTheirChangesAndEscapedNames) {
  const SchemaPtr schema = AsciiTestSchema();
  const ClassDef& a = *schema->FindClass("A");
  Store store;
  Record r{a.id, {Value{std::u16string(u"a\tb")}, Value{0.1}, Value{int32_t{-3}}}};
  const RecordID id = store.Insert(r);
  PersistentTransaction plan{"Plan\twith tab", "", 256, u"line\nbreak", {}, u"anna", 1700000000, false, {}};
  plan.delta[id] = std::nullopt;
  r.values[0] = Value{};
  plan.delta[store.nextId++] = r;
  store.transactions.push_back(plan);
  store.transactions.push_back(PersistentTransaction{"Sub", "Plan\twith tab", 256, u"", {}, u"", 0, true, {}});
  const std::string text = WriteAscii(*schema, store);
  const Store back = ReadAscii(text, *schema);
  ASSERT_EQ(back.transactions.size(), 2u);
  EXPECT_EQ(back.transactions[0].name, "Plan\twith tab");
  EXPECT_EQ(back.transactions[0].description, u"line\nbreak");
  EXPECT_EQ(back.transactions[1].parent, "Plan\twith tab");
  EXPECT_EQ(back.transactions[0].owner, u"anna");
  EXPECT_EQ(back.transactions[0].startDate, 1700000000);
  EXPECT_FALSE(back.transactions[0].isVersion);
  EXPECT_FALSE(back.transactions[0].delta.at(id).has_value());
  EXPECT_EQ(back.transactions[0].delta.at(id + 1)->values, r.values);
  EXPECT_EQ(back.records.at(id).values, store.records.at(id).values);
  EXPECT_DOUBLE_EQ(std::get<double>(back.records.at(id).values[1]), 0.1);
  EXPECT_EQ(WriteAscii(*schema, back), text);
}

TEST(AsciiFormatTest, NamesTheLineOfAnError) {
  const SchemaPtr schema = AsciiTestSchema();
  try {
    ReadAscii("KESTREL-TEXT 1\nSCHEMA\tT\t1\nNEXT\t5\nR\t1\tA\ts=x\tc=nope\nEND\n", *schema);
    FAIL() << "no error";
  } catch (const AsciiFormatError& e) {
    EXPECT_STREQ(e.what(), "line 4: bad number nope");
  }
  EXPECT_THROW(ReadAscii("KESTREL-TEXT 1\nSCHEMA\tT\t1\nX\tNone\t1\nEND\n", *schema),
               AsciiFormatError);
  EXPECT_THROW(ReadAscii("KESTREL-TEXT 1\nSCHEMA\tT\t1\nR\t1\tA\ts=\\q\nEND\n", *schema),
               AsciiFormatError);
  EXPECT_THROW(ReadAscii("", *schema), AsciiFormatError);
}

// A text whose IDs the dump reader would refuse must be refused before anything is written.
TEST(AsciiFormatTest, RefusesIdsAtOrAboveNextInEveryKindOfLine) {
  const SchemaPtr schema = AsciiTestSchema();
  const std::string head = "KESTREL-TEXT 1\nSCHEMA\tT\t1\nNEXT\t5\nT\tPlan\t\t256\t\n";
  for (const char* line : {"R\t5\tA\n", "C\tPlan\t7\tA\n", "X\tPlan\t5\n"}) {
    try {
      ReadAscii(head + line + "END\n", *schema);
      FAIL() << line;
    } catch (const AsciiFormatError& e) {
      EXPECT_NE(std::string(e.what()).find("line 5: record ID"), std::string::npos) << e.what();
    }
  }
  EXPECT_NO_THROW(ReadAscii(head + "C\tPlan\t4\tA\nX\tPlan\t3\nEND\n", *schema));
  EXPECT_THROW(ReadAscii("KESTREL-TEXT 1\nSCHEMA\tT\t1\nNEXT\t2147418114\nEND\n", *schema),
               AsciiFormatError);
  EXPECT_NO_THROW(ReadAscii("KESTREL-TEXT 1\nSCHEMA\tT\t1\nNEXT\t2147418113\nEND\n", *schema));
}

TEST(AsciiFormatTest, RefusesPasswordHashesThatAskForTooManyIterations) {
  const SchemaPtr schema = AsciiTestSchema();
  auto text = [](const std::string& iterations) {
    return "KESTREL-TEXT 1\nSCHEMA\tT\t1\nNEXT\t5\nR\t1\tSYSUser\tname=x\tpassword=pbkdf2-sha256$" +
           iterations + "$00$00\nEND\n";
  };
  EXPECT_NO_THROW(ReadAscii(text("1000000"), *schema));
  EXPECT_THROW(ReadAscii(text("1000001"), *schema), AsciiFormatError);
  EXPECT_THROW(ReadAscii(text("99999999999"), *schema), AsciiFormatError);
}

}  // namespace
}  // namespace kestrel
