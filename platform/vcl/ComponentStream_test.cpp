#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/PublishedProperties.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Writer.h"

namespace {

enum Shade { shRed, shGreen, shBlue };
constexpr std::string_view kShadeNames[] = {"shRed", "shGreen", "shBlue"};

// A nested object with a defined property: a list of points.
class Outline : public TPersistent {
 public:
  std::string_view ClassName() const override { return "TOutline"; }
  void GetPublishedProperties(TPublishedProperties& properties) override {
    properties.AddInteger("Width", [this] { return width; }, [this](int32_t v) { width = v; });
  }
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        "Points",
        [this](TReader& reader) {
          points.clear();
          reader.ReadListBegin();
          while (!reader.EndOfList()) points.push_back(reader.ReadInteger());
          reader.ReadListEnd();
        },
        [this](TWriter& writer) {
          writer.WriteListBegin();
          for (int point : points) writer.WriteInteger(point);
          writer.WriteListEnd();
        },
        !points.empty());
  }
  int32_t width = 0;
  std::vector<int> points;
};

class Entry : public TCollectionItem {
 public:
  std::string_view ClassName() const override { return "TEntry"; }
  void GetPublishedProperties(TPublishedProperties& properties) override {
    properties.AddString("Caption", [this] { return caption; },
                         [this](std::string v) { caption = std::move(v); });
    properties.AddInteger("Weight", [this] { return weight; }, [this](int32_t v) { weight = v; }, 1);
  }
  std::string caption;
  int32_t weight = 1;
};

class Sample : public TComponent {
 public:
  explicit Sample(TComponent* owner)
      : TComponent(owner), entries(this, [] { return std::make_unique<Entry>(); }) {}
  std::string_view ClassName() const override { return "TSample"; }

  void GetPublishedProperties(TPublishedProperties& properties) override {
    TComponent::GetPublishedProperties(properties);
    properties.AddInteger("Count", [this] { return count; }, [this](int32_t v) {
      count = v;
      readingWhenSet = ComponentState().Contains(csReading);
    });
    properties.AddBoolean("Enabled", [this] { return enabled; }, [this](bool v) { enabled = v; },
                          true);
    properties.AddFloat("Ratio", [this] { return ratio; }, [this](double v) { ratio = v; });
    properties.AddString("Caption", [this] { return caption; },
                         [this](std::string v) { caption = std::move(v); });
    properties.AddEnumeration(
        "Shade", kShadeNames, [this] { return static_cast<int>(shade); },
        [this](int v) { shade = static_cast<Shade>(v); }, shRed);
    properties.AddSet("Shades", kShadeNames, [this] { return shades; },
                      [this](uint64_t v) { shades = v; });
    properties.AddComponent("Buddy", [this] { return buddy; }, [this](TComponent* c) { buddy = c; });
    properties.AddCollection("Entries", entries);
    properties.AddObject("Outline", outline);
  }
  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) {
          data.assign(static_cast<size_t>(stream.Size()), 0);
          stream.ReadBuffer(data.data(), stream.Size());
        },
        [this](TStream& stream) { stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size())); },
        !data.empty());
    filer.DefineProperty(
        "Wide", [this](TReader& reader) { wide = reader.ReadWideString(); },
        [this](TWriter& writer) { writer.WriteWideString(wide); }, !wide.empty());
  }
  void GetChildren(const ChildProc& proc, TComponent* root) override;
  void Loaded() override {
    TComponent::Loaded();
    ++loadedCalls;
    buddyAtLoaded = buddy;
  }

  int32_t count = 0;
  bool enabled = true;
  double ratio = 0;
  std::string caption;
  Shade shade = shRed;
  uint64_t shades = 0;
  TComponent* buddy = nullptr;
  TCollection entries;
  Outline outline;
  std::vector<uint8_t> data;
  std::u16string wide;
  bool readingWhenSet = false;
  int loadedCalls = 0;
  TComponent* buddyAtLoaded = nullptr;
};

// A component written among its parent Sample's children.
class Part : public TComponent {
 public:
  using TComponent::TComponent;
  std::string_view ClassName() const override { return "TPart"; }
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent; }
  void SetParentComponent(TComponent* value) override { parent = dynamic_cast<Sample*>(value); }
  void GetPublishedProperties(TPublishedProperties& properties) override {
    TComponent::GetPublishedProperties(properties);
    properties.AddInt64("Size", [this] { return size; }, [this](int64_t v) { size = v; });
  }
  Sample* parent = nullptr;
  int64_t size = 0;
};

void Sample::GetChildren(const ChildProc& proc, TComponent* root) {
  for (int i = 0; i < root->ComponentCount(); ++i) {
    auto* part = dynamic_cast<Part*>(root->Components(i));
    if (part != nullptr && part->parent == this) proc(*part);
  }
}

class ComponentStream : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterComponentClass<Sample>("TSample");
    RegisterComponentClass<Part>("TPart");
  }

  // A module with two samples (the first refers to the second) and a part
  // belonging to the first.
  static std::unique_ptr<TDataModule> MakeModule() {
    auto module = std::make_unique<TDataModule>(nullptr);
    module->SetName("Module1");
    auto* first = new Sample(module.get());
    first->SetName("Sample1");
    first->count = 70000;
    first->enabled = false;
    first->ratio = -2.75;
    first->caption = std::string(300, 'c');
    first->shade = shBlue;
    first->shades = 0b101;
    first->SetTag(-5);
    auto& entry = dynamic_cast<Entry&>(first->entries.Add());
    entry.caption = "first";
    dynamic_cast<Entry&>(first->entries.Add()).weight = 9;
    first->outline.width = 3;
    first->outline.points = {1, -200, 40000};
    first->data = {0, 1, 2, 255};
    first->wide = u"\u00e9t\u00e9";
    auto* second = new Sample(module.get());
    second->SetName("Sample2");
    first->buddy = second;
    auto* part = new Part(module.get());
    part->SetName("Part1");
    part->parent = first;
    part->size = int64_t{1} << 40;
    return module;
  }

  static std::vector<uint8_t> Write(TComponent& root) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteRootComponent(root);
    return stream.Bytes();
  }

  static void Read(const std::vector<uint8_t>& bytes, TComponent& root) {
    TMemoryStream stream(bytes);
    TReader reader(stream);
    reader.ReadRootComponent(root);
  }

  static bool Contains(const std::vector<uint8_t>& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
  }
};

TEST_F(ComponentStream, ATreeWrittenIsReadBackWithAllItsProperties) {
  const auto bytes = Write(*MakeModule());
  TDataModule copy(nullptr);
  Read(bytes, copy);

  EXPECT_EQ(copy.Name(), "Module1");
  ASSERT_EQ(copy.ComponentCount(), 3);
  auto* first = dynamic_cast<Sample*>(copy.FindComponent("Sample1"));
  auto* second = dynamic_cast<Sample*>(copy.FindComponent("Sample2"));
  auto* part = dynamic_cast<Part*>(copy.FindComponent("Part1"));
  ASSERT_TRUE(first && second && part);
  EXPECT_EQ(first->count, 70000);
  EXPECT_FALSE(first->enabled);
  EXPECT_EQ(first->ratio, -2.75);
  EXPECT_EQ(first->caption, std::string(300, 'c'));
  EXPECT_EQ(first->shade, shBlue);
  EXPECT_EQ(first->shades, 0b101u);
  EXPECT_EQ(first->Tag(), -5);
  EXPECT_EQ(first->buddy, second);
  ASSERT_EQ(first->entries.Count(), 2);
  EXPECT_EQ(first->entries.ItemAs<Entry>(0).caption, "first");
  EXPECT_EQ(first->entries.ItemAs<Entry>(0).weight, 1);
  EXPECT_EQ(first->entries.ItemAs<Entry>(1).weight, 9);
  EXPECT_EQ(first->outline.width, 3);
  EXPECT_EQ(first->outline.points, (std::vector<int>{1, -200, 40000}));
  EXPECT_EQ(first->data, (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_EQ(first->wide, u"\u00e9t\u00e9");
  EXPECT_EQ(part->parent, first);
  EXPECT_EQ(part->size, int64_t{1} << 40);
  EXPECT_TRUE(second->enabled);
  EXPECT_EQ(second->buddy, nullptr);
  // Written again, the copy gives the same bytes.
  EXPECT_EQ(Write(copy), bytes);
}

TEST_F(ComponentStream, LoadingStateAndLoadedComeInTheirOrder) {
  const auto bytes = Write(*MakeModule());
  TDataModule copy(nullptr);
  Read(bytes, copy);
  auto* first = dynamic_cast<Sample*>(copy.FindComponent("Sample1"));
  EXPECT_TRUE(first->readingWhenSet);
  EXPECT_EQ(first->loadedCalls, 1);
  EXPECT_EQ(first->buddyAtLoaded, copy.FindComponent("Sample2"));
  for (int i = 0; i < copy.ComponentCount(); ++i) {
    EXPECT_TRUE(copy.Components(i)->ComponentState().Empty());
  }
  EXPECT_FALSE(copy.ComponentState().Contains(csLoading));
}

TEST_F(ComponentStream, DefaultsAndEmptyDefinedPropertiesAreNotWritten) {
  TDataModule module(nullptr);
  module.SetName("M");
  (new Sample(&module))->SetName("Plain");
  const auto bytes = Write(module);
  for (const char* name : {"Count", "Enabled", "Ratio", "Caption", "Shade", "Buddy", "Entries",
                           "Outline", "\x04" "Data", "Wide", "Tag"}) {
    EXPECT_FALSE(Contains(bytes, name)) << name;
  }
  // Signature, then class and name of the root, its properties, children ...
  const std::vector<uint8_t> expected = {'T', 'P', 'F', '0', 11, 'T', 'D', 'a', 't', 'a', 'M',
                                         'o', 'd', 'u', 'l', 'e', 1, 'M', vaNull,
                                         7, 'T', 'S', 'a', 'm', 'p', 'l', 'e',
                                         5, 'P', 'l', 'a', 'i', 'n', vaNull, vaNull, vaNull};
  EXPECT_EQ(bytes, expected);
}

TEST_F(ComponentStream, NestedAndDefinedPropertiesCarryTheirPath) {
  const auto bytes = Write(*MakeModule());
  EXPECT_TRUE(Contains(bytes, "\x0DOutline.Width"));
  EXPECT_TRUE(Contains(bytes, "\x0EOutline.Points\x01"));
}

TEST_F(ComponentStream, EveryTruncationIsRefusedWithAStreamError) {
  const auto bytes = Write(*MakeModule());
  for (size_t length = 0; length < bytes.size(); ++length) {
    TDataModule copy(nullptr);
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
    EXPECT_THROW(Read(cut, copy), EFilerError) << "length " << length;
    for (int i = 0; i < copy.ComponentCount(); ++i) {
      EXPECT_FALSE(copy.Components(i)->ComponentState().Contains(csLoading));
    }
  }
}

TEST_F(ComponentStream, CorruptedStreamsAreRefusedWithClearMessages) {
  const auto good = Write(*MakeModule());
  const auto expectError = [](std::vector<uint8_t> bytes, const std::string& message) {
    TDataModule copy(nullptr);
    try {
      Read(bytes, copy);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const EFilerError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  };
  auto bytes = good;
  bytes[3] = '1';
  expectError(bytes, "Invalid stream format: no component stream signature");

  // The value code of Sample1's Count (vaInt32) becomes an unknown code.
  bytes = good;
  const auto count = std::search(bytes.begin(), bytes.end(), std::begin("\x05" "Count"),
                                 std::end("\x05" "Count") - 1);
  ASSERT_NE(count, bytes.end());
  const auto code = count + 6;
  ASSERT_EQ(*code, vaInt32);
  *code = 0x30;
  expectError(bytes, "Error reading Sample1.Count: Invalid stream format: unknown value code 48");
  *code = vaString;
  expectError(bytes, "Error reading Sample1.Count: Invalid property value");

  // A property the class does not have.
  bytes = good;
  *(count + 1) = 'M';
  expectError(bytes, "Error reading Sample1.Mount: Property Mount does not exist");

  // A long string whose length runs past the end.
  bytes = good;
  const auto caption = std::search(bytes.begin(), bytes.end(), std::begin("\x07" "Caption"),
                                   std::end("\x07" "Caption") - 1);
  ASSERT_EQ(*(caption + 8), vaLString);
  *(caption + 12) = 0x7F;
  expectError(bytes,
              "Error reading Sample1.Caption: Invalid stream format: length 2130706732 runs past "
              "the end of the stream");
  *(caption + 12) = 0x80;
  expectError(bytes,
              "Error reading Sample1.Caption: Invalid stream format: length -2147483348 runs past "
              "the end of the stream");

  // A class nobody registered, and a reference to a component that is not there.
  bytes = good;
  const auto part = std::search(bytes.begin(), bytes.end(), std::begin("TPart"), std::end("TPart") - 1);
  *(part + 1) = 'Q';
  expectError(bytes, "Class TQart not found");
  bytes = good;
  const auto buddy = std::search(bytes.begin(), bytes.end(), std::begin("Sample2"),
                                 std::end("Sample2") - 1);
  *(buddy + 6) = '9';
  expectError(bytes, "Unresolved reference to 'Sample9'");
}

TEST(ComponentStreamValues, IntegersTakeTheSmallestCode) {
  const struct {
    int64_t value;
    TValueType code;
    size_t size;
  } cases[] = {{0, vaInt8, 1},          {-128, vaInt8, 1},         {127, vaInt8, 1},
               {128, vaInt16, 2},       {-129, vaInt16, 2},        {32767, vaInt16, 2},
               {-32768, vaInt16, 2},    {32768, vaInt32, 4},       {INT32_MIN, vaInt32, 4},
               {INT32_MAX, vaInt32, 4}, {int64_t{INT32_MAX} + 1, vaInt64, 8},
               {INT64_MIN, vaInt64, 8}};
  for (const auto& c : cases) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteInteger(c.value);
    ASSERT_EQ(stream.Bytes().size(), 1 + c.size) << c.value;
    EXPECT_EQ(stream.Bytes()[0], c.code) << c.value;
    stream.SetPosition(0);
    TReader reader(stream);
    EXPECT_EQ(reader.ReadInt64(), c.value);
    stream.SetPosition(0);
    if (c.code == vaInt64) {
      EXPECT_THROW(reader.ReadInteger(), EReadError);
    } else {
      EXPECT_EQ(reader.ReadInteger(), c.value);
    }
  }
}

TEST(ComponentStreamValues, StringsIdentifiersAndMarkers) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteString(std::string(255, 'a'));
  writer.WriteString(std::string(256, 'b'));
  writer.WriteUTF8String("\xC3\xBC");
  writer.WriteWideString(u"x\u00fc");
  for (const char* ident : {"NIL", "False", "true", "Null", "clRed"}) writer.WriteIdent(ident);
  writer.WriteListBegin();
  writer.WriteListEnd();
  const auto& bytes = stream.Bytes();
  EXPECT_EQ(bytes[0], vaString);
  EXPECT_EQ(bytes[1], 255);
  EXPECT_EQ(bytes[257], vaLString);
  EXPECT_EQ(bytes[258], 0);  // 256 as a 4-byte length: 00 01 00 00
  EXPECT_EQ(bytes[259], 1);
  const std::vector<uint8_t> tail(bytes.end() - 13, bytes.end());
  EXPECT_EQ(tail, (std::vector<uint8_t>{vaNil, vaFalse, vaTrue, vaNull, vaIdent, 5, 'c', 'l', 'R',
                                        'e', 'd', vaList, vaNull}));
  stream.SetPosition(0);
  TReader reader(stream);
  EXPECT_EQ(reader.ReadString(), std::string(255, 'a'));
  EXPECT_EQ(reader.ReadString(), std::string(256, 'b'));
  EXPECT_EQ(reader.ReadWideString(), u"\u00fc");
  EXPECT_EQ(reader.ReadString(), "x\xC3\xBC");
  EXPECT_EQ(reader.ReadIdent(), "nil");
  EXPECT_EQ(reader.ReadIdent(), "False");
  EXPECT_EQ(reader.ReadIdent(), "True");
  EXPECT_EQ(reader.ReadIdent(), "Null");
  EXPECT_EQ(reader.ReadIdent(), "clRed");
  EXPECT_FALSE(reader.EndOfList());
  reader.ReadListBegin();
  EXPECT_TRUE(reader.EndOfList());
  reader.ReadListEnd();
  EXPECT_THROW(reader.ReadValue(), EReadError);
}

TEST(ComponentStreamValues, NumbersOfEveryFloatingCode) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteFloat(0.1);
  writer.WriteDouble(-1e-310);
  writer.WriteSingle(1.5f);
  writer.WriteCurrency(123456);
  writer.WriteDate(45000.25);
  writer.WriteBoolean(true);
  writer.WriteBoolean(false);
  writer.WriteInteger(7);
  EXPECT_EQ(stream.Bytes().size(), 11u + 9 + 5 + 9 + 9 + 1 + 1 + 2);
  stream.SetPosition(0);
  TReader reader(stream);
  EXPECT_EQ(reader.ReadFloat(), 0.1);
  EXPECT_EQ(reader.ReadFloat(), -1e-310);
  EXPECT_EQ(reader.ReadFloat(), 1.5);
  EXPECT_EQ(reader.ReadCurrency(), 123456);
  EXPECT_EQ(reader.ReadDate(), 45000.25);
  EXPECT_TRUE(reader.ReadBoolean());
  EXPECT_FALSE(reader.ReadBoolean());
  EXPECT_EQ(reader.ReadFloat(), 7.0);
}

TEST(ComponentStreamValues, WrongKindsAndOverlongNamesAreRefused) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteString("x");
  writer.WriteInteger(1);
  EXPECT_THROW(writer.WriteStr(std::string(256, 'n')), EWriteError);
  stream.SetPosition(0);
  TReader reader(stream);
  EXPECT_THROW(reader.ReadBoolean(), EReadError);
  stream.SetPosition(0);
  EXPECT_THROW(reader.ReadInteger(), EReadError);
  stream.SetPosition(0);
  EXPECT_THROW(reader.ReadFloat(), EReadError);
  stream.SetPosition(0);
  EXPECT_EQ(reader.ReadString(), "x");
  EXPECT_THROW(reader.ReadString(), EReadError);
}

}  // namespace
