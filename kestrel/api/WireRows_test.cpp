// The block of a fetch's values: every kind of value comes back as it went, and a block that
// is cut short, too long or holds impossible lengths is refused.
#include "kestrel/api/WireRows.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrel::api::wire {
namespace {

KSField Of(int32_t type) {
  KSField value{};
  value.type = type;
  return value;
}

KSField Text(const char16_t* text) {
  KSField value = Of(KS_TYPE_STRING);
  value.value.asString = text;
  return value;
}

KSField Blob(const void* bytes, int32_t length) {
  KSField value = Of(KS_TYPE_BLOB);
  value.value.asBlob = bytes;
  value.blobLength = length;
  return value;
}

std::vector<KSField> Sample(const std::string& bytes) {
  KSField number = Of(KS_TYPE_INTEGER);
  number.value.asInteger = -7;
  KSField weight = Of(KS_TYPE_FLOAT);
  weight.value.asDouble = 0.1;
  KSField money = Of(KS_TYPE_CURRENCY);
  money.value.asDouble = -1e300;
  KSField reference = Of(KS_TYPE_REFERENCE);
  reference.value.asInteger = -1;
  KSField named = Text(u"x");
  named.name = u"field";
  return {number, weight, money, reference, Text(nullptr), Text(u""), Text(u"n\u00e9\u20ac"), named,
          Blob(bytes.data(), static_cast<int32_t>(bytes.size())), Blob(bytes.data(), 0),
          Blob(nullptr, 0)};
}

TEST(WireRowsTest, EveryKindOfValueComesBackAsItWent) {
  const std::string bytes("a\0b", 3);
  const std::vector<KSField> sent = Sample(bytes);
  std::string block;
  AppendValues(sent.data(), sent.size(), block);
  std::vector<KSField> got;
  std::u16string texts;
  ASSERT_TRUE(ReadValues(block, sent.size(), got, texts));
  ASSERT_EQ(got.size(), sent.size());
  for (const KSField& value : got) EXPECT_EQ(value.name, nullptr) << "names do not travel";
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].type, sent[i].type) << i;
  EXPECT_EQ(got[0].value.asInteger, -7);
  EXPECT_EQ(got[1].value.asDouble, 0.1);
  EXPECT_EQ(got[2].value.asDouble, -1e300);
  EXPECT_EQ(got[3].value.asInteger, -1);
  EXPECT_EQ(got[4].value.asString, nullptr) << "the null text";
  ASSERT_NE(got[5].value.asString, nullptr) << "the empty text is no null text";
  EXPECT_EQ(std::u16string(got[5].value.asString), u"");
  EXPECT_EQ(std::u16string(got[6].value.asString), u"n\u00e9\u20ac");
  EXPECT_EQ(std::u16string(got[7].value.asString), u"x");
  ASSERT_EQ(got[8].blobLength, 3);
  EXPECT_EQ(std::string(static_cast<const char*>(got[8].value.asBlob), 3), bytes);
  for (size_t i : {9u, 10u}) {
    EXPECT_EQ(got[i].value.asBlob, nullptr) << "an empty blob is none";
    EXPECT_EQ(got[i].blobLength, 0);
  }
}

TEST(WireRowsTest, ABlockThatIsCutShortOrTooLongIsRefused) {
  const std::string bytes("abc");
  const std::vector<KSField> sent = Sample(bytes);
  std::string block;
  AppendValues(sent.data(), sent.size(), block);
  for (size_t length = 0; length < block.size(); ++length) {
    std::vector<KSField> got;
    std::u16string texts;
    EXPECT_FALSE(ReadValues(std::string_view(block).substr(0, length), sent.size(), got, texts)) << length;
  }
  std::vector<KSField> got;
  std::u16string texts;
  EXPECT_FALSE(ReadValues(block + '\0', sent.size(), got, texts)) << "a byte left over";
  EXPECT_FALSE(ReadValues(block, sent.size() - 1, got, texts)) << "a value left over";
  EXPECT_FALSE(ReadValues(block, sent.size() + 1, got, texts)) << "a value missing";
  EXPECT_TRUE(ReadValues({}, 0, got, texts)) << "no rows, no bytes";
}

TEST(WireRowsTest, ImpossibleLengthsAreRefused) {
  const auto block = [](int32_t type, int32_t length) {
    std::string b(8, '\0');
    std::memcpy(b.data(), &type, 4);
    std::memcpy(b.data() + 4, &length, 4);
    return b + std::string(16, 'x');
  };
  std::vector<KSField> got;
  std::u16string texts;
  EXPECT_FALSE(ReadValues(block(KS_TYPE_STRING, -2), 1, got, texts));
  EXPECT_FALSE(ReadValues(block(KS_TYPE_BLOB, -1), 1, got, texts));
  EXPECT_FALSE(ReadValues(block(KS_TYPE_STRING, 0x7fffffff), 1, got, texts));
  EXPECT_FALSE(ReadValues(block(KS_TYPE_BLOB, 17), 1, got, texts)) << "one byte more than there is";
  got.clear();
  ASSERT_TRUE(ReadValues(block(KS_TYPE_BLOB, 16), 1, got, texts));
  EXPECT_EQ(got.back().blobLength, 16);
  got.clear();
  ASSERT_TRUE(ReadValues(block(KS_TYPE_STRING, 8), 1, got, texts));
  EXPECT_EQ(std::char_traits<char16_t>::length(got.back().value.asString), 8u);
}

}  // namespace
}  // namespace kestrel::api::wire
