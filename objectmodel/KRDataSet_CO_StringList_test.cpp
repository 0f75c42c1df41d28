#include "objectmodel/KRDataSet_CO_StringList.h"

#include <gtest/gtest.h>

#include "platform/com/OleErrors.h"

namespace {

// An owner whose life the test can watch.
class TWatchedOwner : public ComObject<IUnknown> {
 public:
  explicit TWatchedOwner(bool& alive) : alive_(alive) { alive_ = true; }
  ~TWatchedOwner() override { alive_ = false; }
  TKRStrings names{"one", "two"};

 private:
  bool& alive_;
};

TEST(StringListTest, AWrapperOverNoListIsEmptyAndRefusesAppends) {
  auto wrapper = MakeComObject<TKRStringList>();
  EXPECT_EQ(wrapper->Get_Count(), 0);
  EXPECT_EQ(wrapper->Get_Strings(0), u"");
  EXPECT_EQ(wrapper->Get_Strings(-3), u"");
  EXPECT_FALSE(wrapper->OwnsList());
  EXPECT_THROW(wrapper->Append(u"x"), EOleException);
  EXPECT_EQ(wrapper->Get_Count(), 0);
}

TEST(StringListTest, AnOwnedListTakesWideTextAsNarrowAndGivesItBack) {
  auto wrapper = MakeComObject<TKRStringList>(std::make_unique<TKRStrings>(TKRStrings{"first"}));
  EXPECT_TRUE(wrapper->OwnsList());
  wrapper->Append(u"Gr\u00FC\u00DFe \U0001F600");
  ASSERT_EQ(wrapper->Get_Count(), 2);
  EXPECT_EQ(wrapper->List()->at(1),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xF0\x9F\x98\x80");
  EXPECT_EQ(wrapper->Get_Strings(1), u"Gr\u00FC\u00DFe \U0001F600");
  EXPECT_EQ(wrapper->Get_Strings(0), u"first");
  EXPECT_THROW(wrapper->Get_Strings(2), EOleException);
  EXPECT_THROW(wrapper->Get_Strings(-1), EOleException);
}

TEST(StringListTest, ABorrowedListKeepsItsOwnerAliveAndSharesAppends) {
  bool alive = false;
  ComPtr<TWatchedOwner> owner = MakeComObject<TWatchedOwner>(alive);
  TKRStrings* names = &owner->names;
  ComPtr<IKRStringList> wrapper =
      MakeComObject<TKRStringList>(names, ComPtr<IUnknown>(owner->UnknownSelf()));
  owner.Reset();
  EXPECT_TRUE(alive);
  wrapper->Append(u"three");
  EXPECT_EQ(names->size(), 3u);
  EXPECT_EQ(wrapper->Get_Strings(2), u"three");
  wrapper.Reset();
  EXPECT_FALSE(alive);
}

TEST(StringListTest, CreateStringListOwnsACopy) {
  TKRStrings names{"a", "b"};
  ComPtr<IKRStringList> wrapper = CreateStringList(names);
  wrapper->Append(u"c");
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(wrapper->Get_Count(), 3);
  ComPtr<IKRStringList> empty = CreateStringList({});
  EXPECT_EQ(empty->Get_Count(), 0);
}

}  // namespace
