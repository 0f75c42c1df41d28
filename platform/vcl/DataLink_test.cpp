// Data sources and data links: state, field links, buffer counts,
// master-detail and the circular-link check.

#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/DataLink.h"
#include "platform/vcl/MemDataSet_TestSupport_test.h"

namespace {

using vcl_test::Id;
using vcl_test::Ids;
using vcl_test::MakePeople;

TEST(DataSource, FollowsTheStateOfItsDataSet) {
  auto people = MakePeople(2);
  TDataSource source(nullptr);
  source.SetName("Source");
  std::vector<TDataSetState> states;
  std::vector<TField*> changes;
  source.OnStateChange = [&](TDataSource& s) { states.push_back(s.State()); };
  source.OnDataChange = [&](TDataSource&, TField* field) { changes.push_back(field); };
  source.SetDataSet(people.get());
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse}));
  EXPECT_EQ(changes, (std::vector<TField*>{nullptr}));
  people->Edit();
  people->FieldByName("Name")->SetAsString("x");
  people->Cancel();
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse}));
  EXPECT_NE(std::find(changes.begin(), changes.end(), people->FieldByName("Name")), changes.end());
  source.SetEnabled(false);
  EXPECT_EQ(source.State(), dsInactive);
  source.SetEnabled(true);
  people.reset();  // the source lets a destroyed data set go
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_EQ(source.State(), dsInactive);
}

struct LinkLog {
  explicit LinkLog(TFieldDataLink& link) {
    link.OnDataChange = [this](TFieldDataLink& l) {
      entries.push_back("data " + (l.Field() != nullptr ? l.Field()->AsString() : "-"));
    };
    link.OnEditingChange = [this](TFieldDataLink& l) {
      entries.push_back(l.Editing() ? "editing" : "not editing");
    };
    link.OnActiveChange = [this](TFieldDataLink& l) {
      entries.push_back(l.Active() ? "active" : "inactive");
    };
  }
  std::vector<std::string> Take() { return std::exchange(entries, {}); }
  std::vector<std::string> entries;
};

TEST(FieldDataLink, FollowsOneFieldOfTheActiveRecord) {
  auto people = MakePeople(3);
  people->Close();
  TDataSource source(nullptr);
  source.SetDataSet(people.get());
  TFieldDataLink link;
  LinkLog log(link);
  link.SetDataSource(&source);
  link.SetFieldName("Name");
  EXPECT_EQ(link.Field(), nullptr);
  people->Open();
  EXPECT_EQ(link.Field(), people->FieldByName("Name"));
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"data P1", "active"}));
  people->Next();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"data P2"}));
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(people->State(), dsEdit);
  people->FieldByName("ID")->SetAsInteger(7);  // another field: not this link's business
  people->FieldByName("Name")->SetAsString("Q");
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"editing", "data P2", "data Q"}));
  people->Cancel();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"not editing", "data P2"}));
  people->Close();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"data -", "inactive"}));
}

TEST(FieldDataLink, WritesTheControlsValueWhenTheRecordIsPosted) {
  auto people = MakePeople(2);
  TDataSource source(nullptr);
  source.SetDataSet(people.get());
  TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName("Name");
  std::string controlText = "typed";
  int updates = 0;
  link.OnUpdateData = [&](TFieldDataLink& l) {
    ++updates;
    l.Field()->SetAsString(controlText);
  };
  people->Edit();
  people->Post();  // nothing typed: nothing written
  EXPECT_EQ(updates, 0);
  link.Edit();
  link.Modified();
  people->Post();
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "typed");
  // Without AutoEdit, or for a read-only field, a control cannot start an edit.
  source.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  source.SetAutoEdit(true);
  people->FieldByName("Name")->SetReadOnly(true);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(people->State(), dsBrowse);
}

TEST(FieldDataLink, ARequiredFieldLeftEmptyAsksItsControlForTheFocus) {
  TMemDataSet table(nullptr);
  table.DefineField("Code", ftString, 4, true);
  table.Open();
  TDataSource source(nullptr);
  source.SetDataSet(&table);
  TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName("Code");
  int focused = 0;
  link.OnFocusControl = [&](TFieldDataLink&) { ++focused; };
  table.Append();
  EXPECT_THROW(table.Post(), EDatabaseError);
  EXPECT_EQ(focused, 1);
}

TEST(DataLink, ALinkShowingSeveralRowsGrowsTheRing) {
  auto people = MakePeople(30, 4);
  TDataSource source(nullptr);
  source.SetDataSet(people.get());
  auto grid = std::make_unique<TDataLink>();
  grid->SetBufferCount(12);
  grid->SetDataSource(&source);
  EXPECT_EQ(people->BufferCount(), 12);
  EXPECT_EQ(grid->RecordCount(), 12);
  people->MoveBy(15);
  EXPECT_EQ(Id(*people), 16);
  EXPECT_EQ(grid->ActiveRecord(), 11);  // the window follows the active record
  people->MoveBy(-5);
  EXPECT_EQ(grid->ActiveRecord(), 6);
  grid.reset();
  EXPECT_EQ(people->BufferCount(), 4);
  EXPECT_EQ(Id(*people), 11);
  EXPECT_EQ(Ids(*people).size(), 30u);
}

class MasterDetail : public testing::Test {
 protected:
  void SetUp() override {
    people = MakePeople(3);
    source.SetName("PeopleSource");
    source.SetDataSet(people.get());
    pets.SetName("Pets");
    pets.DefineField("Owner", ftInteger);
    pets.DefineField("Pet", ftString, 10);
    pets.Open();
    for (auto [owner, pet] : {std::pair{1, "cat"}, {3, "dog"}, {1, "fish"}, {3, "owl"}}) {
      pets.Append();
      pets.FieldByName("Owner")->SetAsInteger(owner);
      pets.FieldByName("Pet")->SetAsString(pet);
      pets.Post();
    }
    pets.SetMasterSource(&source);
    pets.SetMasterField("ID");
    pets.SetDetailField("Owner");
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    for (pets.First(); !pets.Eof(); pets.Next()) shown.push_back(pets.FieldByName("Pet")->AsString());
    return shown;
  }

  std::unique_ptr<TMemDataSet> people;
  TDataSource source{nullptr};
  TMemDataSet pets{nullptr};
};

TEST_F(MasterDetail, TheDetailShowsTheMastersRecordsAndFollowsItsMoves) {
  EXPECT_EQ(Shown(), (std::vector<std::string>{"cat", "fish"}));
  int scrolls = 0;
  pets.AfterScroll = [&](TDataSet&) { ++scrolls; };
  people->Next();
  EXPECT_EQ(scrolls, 1);
  EXPECT_TRUE(pets.IsEmpty());
  people->Next();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"dog", "owl"}));
  people->Edit();
  people->FieldByName("Name")->SetAsString("other field");
  people->Cancel();
  EXPECT_EQ(pets.RecordCount(), 2);
  pets.Append();
  pets.FieldByName("Owner")->SetAsInteger(3);
  pets.FieldByName("Pet")->SetAsString("rat");
  pets.Post();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"dog", "owl", "rat"}));
  people->Close();  // without a master the detail shows everything
  EXPECT_EQ(pets.RecordCount(), 5);
}

TEST_F(MasterDetail, CircularLinksAreRefused) {
  TDataSource petSource(nullptr);
  petSource.SetName("PetSource");
  petSource.SetDataSet(&pets);
  try {
    people->SetMasterSource(&petSource);  // people would follow pets, which follow people
    FAIL() << "linked a master to its own detail";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Circular datalinks are not allowed");
  }
  EXPECT_THROW(pets.SetMasterSource(&petSource), EDatabaseError);
  try {
    source.SetDataSet(&pets);  // pets' own master source over pets
    FAIL() << "made a data source feed its own data set";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "PeopleSource: Circular datalinks are not allowed");
  }
  EXPECT_EQ(source.DataSet(), people.get());
  EXPECT_TRUE(source.IsLinkedTo(&pets));
  EXPECT_TRUE(pets.IsLinkedTo(&petSource));
  EXPECT_TRUE(people->IsLinkedTo(&petSource));  // through pets' master
  EXPECT_FALSE(pets.IsLinkedTo(&source));
}

TEST_F(MasterDetail, ADestroyedMasterSourceIsLetGo) {
  auto extra = std::make_unique<TDataSource>(nullptr);
  extra->SetDataSet(people.get());
  pets.SetMasterSource(extra.get());
  people->Next();
  EXPECT_TRUE(pets.IsEmpty());
  extra.reset();
  EXPECT_EQ(pets.MasterSource(), nullptr);
  EXPECT_EQ(pets.RecordCount(), 4);
}

}  // namespace
