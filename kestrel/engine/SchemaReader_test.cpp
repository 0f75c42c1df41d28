#include "kestrel/engine/SchemaReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace kestrel {
namespace {

std::string ErrorOf(const std::string& json) {
  try {
    ParseSchema(json, "s.json");
  } catch (const SchemaError& e) {
    return e.what();
  }
  return "no error";
}

TEST(SchemaReaderTest, ReadsClassesInAnyOrderAndAddsTheSystemClasses) {
  const SchemaPtr schema = ParseSchema(R"({"name": "S", "version": "2", "classes": [
      {"name": "B", "base": "A", "fields": [{"name": "y", "type": 3}]},
      {"name": "A", "fields": [{"name": "x", "type": 9, "length": 5}]}]})",
                                       "s.json");
  const ClassDef* b = schema->FindClass("B");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->allFields.size(), 2u);
  EXPECT_EQ(b->allFields[0].name, "x") << "inherited fields first";
  EXPECT_EQ(b->allFields[0].owner, "A");
  EXPECT_EQ(schema->FindClass("A")->children, std::vector<std::string>{"B"});
  EXPECT_EQ(schema->FindClass(b->id), b);
  for (const char* system : {"SYSUser", "_DBTransaction", "BOUDF", "BOUDFValue"})
    EXPECT_NE(schema->FindClass(system), nullptr) << system;
  const ClassDef* trn = schema->FindClass("_DBTransaction");
  const int children = trn->FieldIndex("childrenPV");
  ASSERT_GE(children, 0);
  EXPECT_TRUE(trn->allFields[static_cast<size_t>(children)].IsComputedLink());
  EXPECT_NE(schema->FindIndex(*trn, "childrenPV"), nullptr);
}

TEST(SchemaReaderTest, ReportsFilePositionAndReason) {
  EXPECT_EQ(ErrorOf(R"({"name": "S", )"), "s.json: byte 15: syntax error");
  EXPECT_EQ(ErrorOf("33E330").substr(0, 10), "s.json: /:") << "a number too large to hold";
  EXPECT_EQ(ErrorOf(R"([1])"), "s.json: /: a value of another kind is expected than array");
  EXPECT_EQ(ErrorOf(R"({"version": "1", "classes": []})"), "s.json: /: missing \"name\"");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "base": "Z"}]})"),
            "s.json: /classes/0/base: unknown base class Z");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [
                {"name": "A", "base": "B"}, {"name": "B", "base": "A"}]})"),
            "s.json: /classes/0/base: the class hierarchy has a cycle");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A"}, {"name": "A"}]})"),
            "s.json: /classes/1/name: class A is defined twice");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
                {"name": "r", "type": 11, "references": "Q"}]}]})"),
            "s.json: class A, field r: unknown referenced class Q");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
                {"name": "n", "type": 3, "default": "x"}]}]})"),
            "s.json: /classes/0/fields/0/default: the default value does not fit the field's type");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
                {"name": "n", "type": 3, "access": 4}]}]})"),
            "s.json: /classes/0/fields/0/access: access must be 0 to 3");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "SYSUser"}]})"),
            "s.json: /classes: class SYSUser is a system class");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
                {"name": "e", "type": 10, "valueList": 3}]}]})"),
            "s.json: class A, field e: unknown value list 3");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A"}],
                "globalIndexes": [{"name": "i", "class": "A", "fields": ["nope"]}]})"),
            "s.json: /globalIndexes/0: unknown index field nope");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A"}, {"name": "B",
                "fields": [{"name": "n", "type": 3}]}],
                "linkIndexes": [{"name": "bs", "class": "A", "target": "B", "via": "n"}]})"),
            "s.json: link index bs: \"via\" must name a reference field of B");
}

TEST(SchemaReaderTest, ReadsDefaultsOfEveryKind) {
  const SchemaPtr schema = ParseSchema(R"({"name": "S", "version": "1", "classes": [
      {"name": "A", "fields": [{"name": "b", "type": 2, "default": true},
                               {"name": "f", "type": 5, "default": 2},
                               {"name": "s", "type": 9, "default": "hé"},
                               {"name": "e", "type": 10, "default": 0},
                               {"name": "x", "type": 16, "default": "0aff"}]}]})",
                                       "s.json");
  const auto& fields = schema->FindClass("A")->allFields;
  EXPECT_EQ(fields[0].defaultValue, Value{int32_t{1}});
  EXPECT_EQ(fields[1].defaultValue, Value{2.0});
  EXPECT_EQ(fields[2].defaultValue, Value{std::u16string(u"hé")});
  EXPECT_TRUE(IsNull(fields[3].defaultValue)) << "0 is the null enumeration";
  EXPECT_EQ(fields[4].defaultValue, (Value{Blob{0x0a, 0xff}}));
}

TEST(SchemaReaderTest, RefusesEmptyNamesOfFieldsAndIndexes) {
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A",
      "fields": [{"name": "", "type": 3}]}]})"),
            "s.json: /classes/0/fields/0/name: the field name is empty");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
      {"name": "r", "type": 11, "references": "A"}]}],
      "linkIndexes": [{"name": "", "class": "A", "target": "A", "via": "r"}]})"),
            "s.json: /linkIndexes/0/name: the index name is empty");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
      {"name": "n", "type": 3}]}],
      "globalIndexes": [{"name": "", "class": "A", "fields": ["n"]}]})"),
            "s.json: /globalIndexes/0/name: the index name is empty");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
      {"name": "n", "type": 3}, {"name": "n", "type": 9}]}]})"),
            "s.json: class A, field n: the field is defined twice");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [
      {"name": "C", "base": "B", "fields": [{"name": "n", "type": 9}]},
      {"name": "B", "base": "A"}, {"name": "A", "fields": [{"name": "n", "type": 3}]}]})"),
            "s.json: class C, field n: the field is defined twice");
  EXPECT_NO_THROW(ParseSchema(R"({"name": "S", "version": "1", "classes": [
      {"name": "A", "fields": [{"name": "n", "type": 3}]},
      {"name": "B", "fields": [{"name": "n", "type": 3}]}]})",
                              "s.json"))
      << "classes that are not related may share a field name";
}

TEST(SchemaReaderTest, RefusesAnEmptyLinkTargetAndAProtectFieldThatIsNoBoolean) {
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A"}],
      "linkIndexes": [{"name": "l", "class": "A", "target": "", "via": "x"}]})"),
            "s.json: /linkIndexes/0/target: the target class is empty");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A"}],
      "linkIndexes": [{"name": "l", "class": "A", "target": "B", "via": "x"}]})"),
            "s.json: class A, field l: unknown referenced class B");
  EXPECT_EQ(ErrorOf(R"({"name": "S", "version": "1", "classes": [{"name": "A",
      "protectedBy": "n", "fields": [{"name": "n", "type": 3}]}]})"),
            "s.json: class A, protectedBy: \"n\" is not a boolean field of the class");
  const SchemaPtr schema = ParseSchema(R"({"name": "S", "version": "1", "classes": [
      {"name": "A", "protectedBy": "locked", "fields": [{"name": "locked", "type": 2}]},
      {"name": "B", "base": "A"}]})",
                                       "s.json");
  EXPECT_EQ(schema->FindClass("B")->protectField, "locked") << "inherited";
  EXPECT_TRUE(schema->FindClass("B")->IsProtected({int32_t{1}}));
  EXPECT_FALSE(schema->FindClass("B")->IsProtected({Value{}}));
}

// A schema with one signal on class A (fields n integer, t text, r reference to A) whose
// arguments are the integer "lim" and the ID array "ids".
std::string SignalSchema(const std::string& signalClass, const std::string& condition) {
  return R"({"name": "S", "version": "1", "classes": [{"name": "A", "fields": [
      {"name": "n", "type": 3}, {"name": "t", "type": 9}, {"name": "r", "type": 11, "references": "A"}]}],
      "signals": [{"name": "Sig", "class": ")" +
         signalClass + R"(", "condition": )" + condition + R"(,
        "arguments": [{"name": "lim", "type": 3}, {"description": "ids", "type": 14}]}]})";
}

TEST(SchemaReaderTest, ReadsSignalConditionsAndPointsAtWhatDoesNotParse) {
  const SchemaPtr schema = ParseSchema(
      SignalSchema(
          "A", R"("(n >= lim OR t = 'it''s') and r in ids and t NOT matches \"^x\" or n <> r.n")"),
      "s.json");
  ASSERT_EQ(schema->signals.size(), 1u);
  const SignalDef& signal = schema->signals[0];
  ASSERT_NE(signal.parsed, nullptr);
  EXPECT_EQ(signal.arguments[1].name, "ids") << "named after its description";
  EXPECT_TRUE(signal.arguments[1].isArray) << "record IDs always come as an array";

  const std::string where = "s.json: /signals/0/condition: at character ";
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n < ")")), where + "5: a value expected");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n in lim")")), where + "9: an array argument expected");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n = ids")")),
            where + "8: an array argument cannot be compared");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("t matches lim")")),
            where + "14: a text or text argument expected");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("(n = 1")")), where + "7: ')' expected");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n = 'open")")), where + "10: the text is not closed");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n = 1 n = 2")")), where + "7: unexpected text");
  EXPECT_EQ(ErrorOf(SignalSchema("A", R"("n = 99999999999")")), where + "5: not a number");
  EXPECT_EQ(ErrorOf(SignalSchema(
                "A", "\"" + std::string(70, '(') + "n = 1" + std::string(70, ')') + "\"")),
            where + "65: the condition nests too deeply");
  EXPECT_EQ(ErrorOf(SignalSchema("B", R"("")")), "s.json: /signals/0/class: no such class");
}

// Every class of a 1,000-class chain sees the fields of all its bases; reading it must take
// about as long as reading as many unrelated classes.
TEST(SchemaReaderTest, ALongBaseClassChainIsReadQuickly) {
  constexpr int kDepth = 1000;
  std::string classes;
  for (int i = 0; i < kDepth; ++i)
    classes += std::string(i ? "," : "") + R"({"name": "C)" + std::to_string(i) + '"' +
               (i ? R"(, "base": "C)" + std::to_string(i - 1) + '"' : std::string()) +
               R"(, "fields": [{"name": "f)" + std::to_string(i) +
               R"(", "type": 9, "references": ""}, {"name": "g)" + std::to_string(i) +
               R"(", "type": 3}]})";
  const auto start = std::chrono::steady_clock::now();
  const SchemaPtr schema =
      ParseSchema(R"({"name": "S", "version": "1", "classes": [)" + classes + "]}", "s.json");
  const auto took = std::chrono::steady_clock::now() - start;
  const ClassDef& last = *schema->FindClass("C" + std::to_string(kDepth - 1));
  ASSERT_EQ(last.allFields.size(), 2u * kDepth);
  EXPECT_EQ(last.FieldIndex("f0"), 0);
  EXPECT_EQ(last.allFields[1].name, "g0");
  EXPECT_EQ(last.allFields.back().owner, last.name);
  EXPECT_LT(took, std::chrono::seconds(6));
  // Inherited fields are the base's own, not copies: the chain holds each field once.
  EXPECT_EQ(&last.allFields[0], &schema->FindClass("C0")->allFields[0]);
  EXPECT_EQ(&last.allFields[2 * kDepth - 3], &schema->FindClass("C998")->allFields.back());
}

// A class's field list outlives the schema it was copied from, and iterates like a vector.
TEST(SchemaReaderTest, ACopiedClassKeepsItsInheritedFields) {
  SchemaPtr schema = ParseSchema(R"({"name": "S", "version": "1", "classes": [
      {"name": "A", "fields": [{"name": "a", "type": 3}]},
      {"name": "B", "base": "A", "fields": [{"name": "b", "type": 9}, {"name": "c", "type": 5}]}]})",
                                 "s.json");
  const ClassDef copy = *schema->FindClass("B");
  schema.reset();
  std::vector<std::string> names;
  for (const FieldDef& field : copy.allFields) names.push_back(field.name + "/" + field.owner);
  EXPECT_EQ(names, (std::vector<std::string>{"a/A", "b/B", "c/B"}));
  EXPECT_EQ(std::find_if(copy.allFields.begin(), copy.allFields.end(),
                         [](const FieldDef& f) { return f.type == 5; }) -
                copy.allFields.begin(),
            2);
  EXPECT_EQ(copy.FieldIndex("b"), 1);
}

}  // namespace
}  // namespace kestrel
