#include "platform/vcl/Collection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/text/Exception.h"

namespace {

class NameItem : public TCollectionItem {
 public:
  std::string_view ClassName() const override { return "TNameItem"; }
  void Assign(const TPersistent& source) override {
    if (const auto* other = dynamic_cast<const NameItem*>(&source)) {
      name = other->name;
      return;
    }
    TCollectionItem::Assign(source);
  }
  std::string name;

 protected:
  std::string GetDisplayName() const override {
    return name.empty() ? TCollectionItem::GetDisplayName() : name;
  }
};

// Counts the Update calls it gets.
class Names : public TCollection {
 public:
  Names() : TCollection(nullptr, [] { return std::make_unique<NameItem>(); }) {}
  NameItem& Add(std::string name) {
    auto& item = ItemAs<NameItem>(TCollection::Add().Index());
    item.name = std::move(name);
    return item;
  }
  int updates = 0;
  TCollectionItem* lastItem = nullptr;

 protected:
  void Update(TCollectionItem* item) override {
    ++updates;
    lastItem = item;
  }
};

std::string Order(const Names& names) {
  std::string order;
  for (int i = 0; i < names.Count(); ++i) order += names.ItemAs<NameItem>(i).name;
  return order;
}

TEST(Collection, KeepsItemsInOrderWithIdsThatAreNeverReused) {
  Names names;
  names.Add("a");
  names.Add("b");
  auto& c = dynamic_cast<NameItem&>(names.Insert(1));
  c.name = "c";
  EXPECT_EQ(Order(names), "acb");
  EXPECT_EQ(c.Index(), 1);
  EXPECT_EQ(c.Collection(), &names);
  EXPECT_EQ(c.ID(), 2);
  names.Delete(0);
  EXPECT_EQ(Order(names), "cb");
  EXPECT_EQ(names.Add("d").ID(), 3);
  EXPECT_EQ(names.FindItemID(2), &c);
  EXPECT_EQ(names.FindItemID(0), nullptr);
  EXPECT_THROW(names.Items(3), EListError);
  EXPECT_THROW(names.Items(-1), EListError);
  EXPECT_THROW(names.Insert(4), EListError);
  EXPECT_THROW(names.Delete(3), EListError);
}

TEST(Collection, SetIndexMovesAnItemBothWays) {
  Names names;
  for (const char* name : {"a", "b", "c", "d"}) names.Add(name);
  names.Items(0).SetIndex(2);
  EXPECT_EQ(Order(names), "bcad");
  names.Items(3).SetIndex(0);
  EXPECT_EQ(Order(names), "dbca");
  EXPECT_THROW(names.Items(0).SetIndex(4), EListError);
  EXPECT_EQ(Order(names), "dbca");
}

TEST(Collection, UpdatesAreHeldBackBetweenBeginAndEndUpdate) {
  Names names;
  names.Add("a");
  EXPECT_EQ(names.updates, 1);
  names.BeginUpdate();
  names.BeginUpdate();
  names.Add("b");
  names.Delete(0);
  names.EndUpdate();
  EXPECT_EQ(names.updates, 1);
  names.EndUpdate();
  EXPECT_EQ(names.updates, 2);
  EXPECT_EQ(names.lastItem, nullptr);
  names.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(names.UpdateCount(), 0);
  names.Clear();
  EXPECT_EQ(names.updates, 3);
  names.Clear();  // nothing to clear: no change
  EXPECT_EQ(names.updates, 3);
}

TEST(Collection, AssignCopiesTheItemsOfAnotherCollection) {
  Names source;
  source.Add("x");
  source.Add("y");
  Names copy;
  copy.Add("old");
  copy.updates = 0;
  copy.Assign(source);
  EXPECT_EQ(Order(copy), "xy");
  EXPECT_EQ(copy.updates, 1);
  copy.Assign(copy);
  EXPECT_EQ(Order(copy), "xy");
}

TEST(Collection, AssignFromAnUnrelatedClassIsRefused) {
  Names names;
  NameItem item;
  try {
    names.Assign(item);
    FAIL() << "assigned an item to a collection";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TNameItem to a TCollection");
  }
}

TEST(Collection, DisplayNameAndNamePathOfAnItem) {
  Names names;
  auto& item = names.Add("");
  EXPECT_EQ(item.DisplayName(), "TNameItem");
  item.name = "Shown";
  EXPECT_EQ(item.DisplayName(), "Shown");
  names.Add("next");
  EXPECT_EQ(names.Items(1).GetNamePath(), "TCollection[1]");
  EXPECT_EQ(NameItem().GetNamePath(), "TNameItem");
}

}  // namespace
