#include "platform/com/Guid.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>

#include "platform/text/Exception.h"

namespace {

constexpr GUID kSample = GuidLiteral("{955AB28A-5218-11D0-A985-00C04FD8D565}");

TEST(Guid, LiteralFillsFieldsInOrder) {
  EXPECT_EQ(kSample.Data1, 0x955AB28Au);
  EXPECT_EQ(kSample.Data2, 0x5218);
  EXPECT_EQ(kSample.Data3, 0x11D0);
  const uint8_t tail[8] = {0xA9, 0x85, 0x00, 0xC0, 0x4F, 0xD8, 0xD5, 0x65};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(kSample.Data4[i], tail[i]) << i;
  static_assert(GuidLiteral("955AB28A-5218-11D0-A985-00C04FD8D565") == kSample);
}

TEST(Guid, ParsesEitherCaseAndFormatsUpperCase) {
  EXPECT_EQ(GuidFromString("{955ab28a-5218-11d0-a985-00c04fd8d565}"), kSample);
  EXPECT_EQ(GuidFromString(u"{955AB28A-5218-11D0-A985-00C04FD8D565}"), kSample);
  EXPECT_EQ(GuidToString(kSample), "{955AB28A-5218-11D0-A985-00C04FD8D565}");
  EXPECT_EQ(GuidToWideString(kSample), u"{955AB28A-5218-11D0-A985-00C04FD8D565}");
  EXPECT_EQ(GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, RejectsMalformedText) {
  const char* bad[] = {
      "",
      "955AB28A-5218-11D0-A985-00C04FD8D565",     // no braces
      "{955AB28A-5218-11D0-A985-00C04FD8D56}",    // one digit short
      "{955AB28A-5218-11D0-A985-00C04FD8D5655}",  // one digit long
      "{955AB28A-5218-11D0-A98500C04FD8D5655}",   // missing dash
      "{955AB28A-5218-11D0-A985-00C04FD8D56G}",   // not a hex digit
      "{955AB28A+5218-11D0-A985-00C04FD8D565}",   // wrong separator
      "(955AB28A-5218-11D0-A985-00C04FD8D565)",   // wrong brackets
      " {955AB28A-5218-11D0-A985-00C04FD8D565}",  // leading space
  };
  for (const char* text : bad) {
    GUID g = kSample;
    EXPECT_FALSE(TryGuidFromString(text, g)) << text;
    EXPECT_EQ(g, kSample) << "output untouched for " << text;
    try {
      GuidFromString(text);
      ADD_FAILURE() << "no exception for " << text;
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("is not a valid GUID value"), std::string::npos);
    }
  }
}

TEST(Guid, PlatformShapedConversions) {
  CLSID out{};
  EXPECT_EQ(CLSIDFromString(u"{955AB28A-5218-11D0-A985-00C04FD8D565}", &out), S_OK);
  EXPECT_EQ(out, kSample);
  EXPECT_EQ(CLSIDFromString(u"nonsense", &out), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromString(nullptr, &out), E_INVALIDARG);

  char16_t buffer[39];
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);  // no room for the terminator
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
  EXPECT_EQ(std::u16string(buffer), u"{955AB28A-5218-11D0-A985-00C04FD8D565}");
}

TEST(Guid, OrdersByFieldsAndHashes) {
  const GUID a = GuidLiteral("00000001-0000-0000-0000-000000000000");
  const GUID b = GuidLiteral("00000000-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
  const GUID c = GuidLiteral("00000001-0000-0000-0000-000000000001");
  EXPECT_LT(b, a);  // the first field decides, not the byte image
  EXPECT_LT(a, c);  // the last byte decides when all else is equal
  EXPECT_NE(a, c);
  const std::set<GUID> ordered{c, a, b};
  EXPECT_EQ(*ordered.begin(), b);
  const std::unordered_set<GUID> hashed{a, b, c, a};
  EXPECT_EQ(hashed.size(), 3u);
}

TEST(Guid, CreatesDistinctVersionFourGuids) {
  std::unordered_set<GUID> seen;
  for (int i = 0; i < 200; ++i) {
    GUID g{};
    ASSERT_EQ(CoCreateGuid(&g), S_OK);
    EXPECT_EQ(g.Data3 >> 12, 4);
    EXPECT_EQ(g.Data4[0] & 0xC0, 0x80);
    const std::string text = GuidToString(g);
    EXPECT_EQ(GuidFromString(text), g);
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 200u);
  EXPECT_EQ(CoCreateGuid(nullptr), E_POINTER);
}

}  // namespace
