// Opening, the record-buffer ring, navigation, Resync, bookmarks, searching
// and disabled controls, over the in-memory data set.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vcl/MemDataSet_TestSupport_test.h"
#include "platform/vcl/StringFields.h"

namespace {

using vcl_test::EventLog;
using vcl_test::Id;
using vcl_test::Ids;
using vcl_test::MakePeople;

std::vector<std::string> Repeat(const char* entry, int times) {
  return std::vector<std::string>(static_cast<size_t>(times), entry);
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

long Count(const std::vector<std::string>& entries, const std::string& entry) {
  return std::count(entries.begin(), entries.end(), entry);
}

TEST(DataSetOpening, OpenAndCloseCallTheHooksAndEventsInOrder) {
  auto people = MakePeople(3);
  people->Close();
  EXPECT_EQ(people->FieldCount(), 0);  // default fields go with the close
  EventLog log(*people, true);
  people->Open();
  EXPECT_EQ(log.Take(), Concat({{"BeforeOpen", "InternalOpen", "InternalInitFieldDefs"},
                                Repeat("GetRecord(next)", 4),
                                {"AfterOpen", "AfterScroll"}}));
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_TRUE(people->DefaultFields());
  EXPECT_EQ(people->FieldCount(), 4);
  EXPECT_TRUE(people->Bof());
  EXPECT_FALSE(people->Eof());
  EXPECT_EQ(people->BufferedRecordCount(), 3);
  people->Close();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeClose", "InternalClose", "AfterClose"}));
  EXPECT_EQ(people->State(), dsInactive);
  EXPECT_EQ(people->Records().size(), 3u);  // the source keeps its records
}

TEST(DataSetOpening, AFailedOpenClosesTheCursorAndLeavesTheDataSetInactive) {
  auto people = MakePeople(2);
  people->Close();
  EventLog log(*people, true);
  people->OnHook = [&log](std::string_view hook) {
    log.entries.emplace_back(hook);
    if (hook == "InternalInitFieldDefs") throw EDatabaseError("no structure");
  };
  EXPECT_THROW(people->Open(), EDatabaseError);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeOpen", "InternalOpen",
                                                  "InternalInitFieldDefs", "InternalClose"}));
  EXPECT_FALSE(people->Active());
  people->OnHook = nullptr;
  people->Open();
  EXPECT_EQ(Ids(*people), (std::vector<int>{1, 2}));
}

TEST(DataSetOpening, TheStructureOfAClosedDataSetIsReadWithoutOpeningIt) {
  auto people = MakePeople(2);
  people->Close();
  people->FieldDefs().Clear();
  EXPECT_FALSE(people->FieldDefs().Updated());
  EventLog log(*people, true);
  people->FieldDefs().Update();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"InternalInitFieldDefs", "InternalClose"}));
  EXPECT_TRUE(people->FieldDefs().Updated());
  EXPECT_EQ(people->FieldDefs().Count(), 4);
  EXPECT_EQ(people->FieldDefs()[1].Name(), "Name");
  EXPECT_FALSE(people->Active());
  people->FieldDefs().Update();  // up to date: nothing to read
  EXPECT_TRUE(log.Take().empty());
}

TEST(DataSetOpening, PersistentFieldsMustMatchTheirDefinitions) {
  auto people = MakePeople(1);
  people->Close();
  auto* id = new TStringField(people.get());
  id->SetFieldName("ID");
  id->SetDataSet(people.get());
  try {
    people->Open();
    FAIL() << "opened with a string field over an integer";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Type mismatch for field 'ID', expecting: String actual: Integer");
  }
  EXPECT_FALSE(people->Active());
  EXPECT_EQ(people->FieldCount(), 1);  // persistent fields stay
  id->SetFieldName("Name");
  people->Open();
  EXPECT_FALSE(people->DefaultFields());
  EXPECT_EQ(people->FieldCount(), 1);
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "P1");
  EXPECT_EQ(people->FindField("ID"), nullptr);
  try {
    people->FieldByName("ID");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'ID' not found");
  }
}

TEST(DataSetOpening, AnEmptyDataSetIsAtBothEnds) {
  auto people = MakePeople(0);
  EventLog log(*people);
  people->Close();
  people->Open();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeClose", "AfterClose", "BeforeOpen",
                                                  "AfterOpen"}));
  EXPECT_TRUE(people->IsEmpty());
  EXPECT_TRUE(people->Bof());
  EXPECT_TRUE(people->Eof());
  EXPECT_EQ(people->RecordCount(), 0);
  EXPECT_EQ(people->RecNo(), 0);
  EXPECT_EQ(people->MoveBy(1), 0);
  EXPECT_TRUE(people->FieldByName("ID")->IsNull());
  EXPECT_TRUE(people->GetBookmark().empty());
}

TEST(DataSetNavigation, WalksBothEndsOfASmallRingReadingEachRecordOnce) {
  auto people = MakePeople(10, 3);
  EXPECT_EQ(people->BufferCount(), 3);
  EventLog log(*people, true);
  std::vector<int> ids;
  for (people->First(); !people->Eof(); people->Next()) {
    ids.push_back(Id(*people));
    EXPECT_LE(people->BufferedRecordCount(), 3);
    EXPECT_LT(people->ActiveRecord(), 3);
  }
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const auto entries = log.Take();
  EXPECT_EQ(Count(entries, "GetRecord(next)"), 11);  // ten records and the end
  EXPECT_EQ(Count(entries, "GetRecord(prior)"), 0);
  EXPECT_EQ(Id(*people), 10);
  EXPECT_EQ(people->MoveBy(1), 0);
  EXPECT_EQ(Id(*people), 10);

  people->Last();
  EXPECT_TRUE(people->Eof());
  EXPECT_EQ(people->ActiveRecord(), 2);
  EXPECT_EQ(Count(log.Take(), "GetRecord(prior)"), 3);
  ids.clear();
  for (; !people->Bof(); people->Prior()) ids.push_back(Id(*people));
  EXPECT_EQ(ids, (std::vector<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(people->ActiveRecord(), 0);
  EXPECT_EQ(people->MoveBy(-1), 0);
  EXPECT_EQ(Id(*people), 1);
}

TEST(DataSetNavigation, MoveByCrossesTheRingEdgesAndStopsAtTheEnds) {
  auto people = MakePeople(10, 3);
  EXPECT_EQ(people->MoveBy(5), 5);
  EXPECT_EQ(Id(*people), 6);
  EXPECT_EQ(people->MoveBy(-3), -3);
  EXPECT_EQ(Id(*people), 3);
  EXPECT_EQ(people->MoveBy(100), 7);
  EXPECT_TRUE(people->Eof());
  EXPECT_EQ(Id(*people), 10);
  EXPECT_EQ(people->MoveBy(-100), -9);
  EXPECT_TRUE(people->Bof());
  EXPECT_EQ(Id(*people), 1);
}

TEST(DataSetNavigation, RecordNumbersAndCounts) {
  auto people = MakePeople(10, 3);
  EXPECT_EQ(people->RecordCount(), 10);
  EXPECT_EQ(people->RecNo(), 1);
  people->MoveBy(4);
  EXPECT_EQ(people->RecNo(), 5);
  people->SetRecNo(8);
  EXPECT_EQ(Id(*people), 8);
  EXPECT_EQ(people->ActiveRecord(), 1);  // centred in the ring of three
  people->SetRecNo(0);
  people->SetRecNo(11);
  EXPECT_EQ(Id(*people), 8);
  people->Close();
  EXPECT_THROW(people->RecordCount(), EDatabaseError);
}

TEST(DataSetResync, CentreModePutsTheRecordInTheMiddleOfTheRing) {
  auto people = MakePeople(10, 5);
  ASSERT_TRUE(people->Locate("ID", 6, {}));
  EXPECT_EQ(Id(*people), 6);
  EXPECT_EQ(people->ActiveRecord(), 2);
  EXPECT_EQ(people->BufferedRecordCount(), 5);
  people->Prior();
  people->Prior();
  EXPECT_EQ(people->ActiveRecord(), 0);
  EXPECT_EQ(Id(*people), 4);
  // Near the end the ring fills backwards instead.
  ASSERT_TRUE(people->Locate("ID", 10, {}));
  EXPECT_EQ(people->ActiveRecord(), 4);
}

TEST(DataSetResync, WithoutModesTheRecordKeepsItsSlot) {
  auto people = MakePeople(10, 5);
  people->MoveBy(3);
  ASSERT_EQ(people->ActiveRecord(), 3);
  EventLog log(*people);
  people->Refresh();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeRefresh", "AfterRefresh"}));
  EXPECT_EQ(people->ActiveRecord(), 3);
  EXPECT_EQ(Id(*people), 4);
}

TEST(DataSetResync, ARecordGoneUnderneathIsReplacedOrRefusedInExactMode) {
  auto people = MakePeople(10, 5);
  people->MoveBy(3);
  people->RemoveStoredRecord(3);  // ID 4, the active one
  people->Refresh();
  EXPECT_EQ(Id(*people), 5);  // the next one takes its place

  people->Last();
  people->RemoveStoredRecord(people->Records().size() - 1);  // ID 10
  try {
    people->Resync({rmExact});
    FAIL() << "an exact resync found a record that is gone";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Record not found");
  }
  people->Resync({});
  EXPECT_EQ(Id(*people), 9);  // at the end the prior one does

  while (!people->Records().empty()) people->RemoveStoredRecord(0);
  people->Refresh();
  EXPECT_TRUE(people->IsEmpty());
  EXPECT_TRUE(people->Bof() && people->Eof());
}

TEST(DataSetBookmarks, ABookmarkSurvivesInsertsBeforeAndAfterIt) {
  auto people = MakePeople(10, 3);
  people->MoveBy(6);
  const TBookmark seventh = people->GetBookmark();
  ASSERT_EQ(seventh.size(), 4u);
  people->First();
  people->Insert();
  people->FieldByName("ID")->SetAsInteger(100);
  people->Post();
  people->Append();
  people->FieldByName("ID")->SetAsInteger(200);
  people->Post();
  EXPECT_EQ(people->RecordCount(), 12);

  EventLog log(*people, true);
  people->GotoBookmark(seventh);
  const auto entries = log.Take();
  EXPECT_EQ(entries.front(), "BeforeScroll");
  EXPECT_EQ(entries[1], "InternalGotoBookmark");
  EXPECT_EQ(entries[2], "GetRecord(current)");
  EXPECT_EQ(entries.back(), "AfterScroll");
  EXPECT_EQ(Id(*people), 7);
  EXPECT_EQ(people->RecNo(), 8);
  EXPECT_EQ(people->ActiveRecord(), 1);
  EXPECT_TRUE(people->BookmarkValid(seventh));
}

TEST(DataSetBookmarks, ComparingAndLosingBookmarks) {
  auto people = MakePeople(5, 3);
  const TBookmark first = people->GetBookmark();
  people->Last();
  const TBookmark last = people->GetBookmark();
  EXPECT_EQ(people->CompareBookmarks(first, last), -1);
  EXPECT_EQ(people->CompareBookmarks(last, first), 1);
  EXPECT_EQ(people->CompareBookmarks(last, last), 0);
  EXPECT_EQ(people->CompareBookmarks({}, first), -1);  // missing ones first
  EXPECT_EQ(people->CompareBookmarks(first, {}), 1);
  EXPECT_EQ(people->CompareBookmarks({}, {}), 0);

  people->Delete();  // the last record
  EXPECT_FALSE(people->BookmarkValid(last));
  EXPECT_FALSE(people->BookmarkValid({}));
  people->First();
  EXPECT_THROW(people->GotoBookmark(last), EDatabaseError);
  EXPECT_EQ(Id(*people), 1);
  try {
    people->GotoBookmark({1, 2});
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Invalid bookmark");
  }
  EventLog log(*people);
  people->GotoBookmark({});
  EXPECT_TRUE(log.Take().empty());
  people->Insert();
  EXPECT_TRUE(people->GetBookmark().empty());  // a new record has none yet
}

class DataSetLocate : public testing::Test {
 protected:
  void SetUp() override {
    people = MakePeople(0, 3);
    const char* names[] = {"Anna", "anne", "Bob", "Annabel", "Bob"};
    for (int i = 0; i < 5; ++i) {
      people->Append();
      people->FieldByName("ID")->SetAsInteger(i + 1);
      people->FieldByName("Name")->SetAsString(names[i]);
      if (i != 3) people->FieldByName("Score")->SetAsFloat(i);
      people->Post();
    }
    people->First();
  }
  bool Locate(const char* keys, const OleVariant& values, TLocateOptions options) {
    return people->Locate(keys, values, options);
  }
  std::unique_ptr<TMemDataSet> people;
};

TEST_F(DataSetLocate, OptionsDecideHowTextMatches) {
  people->Last();
  EventLog log(*people);
  EXPECT_FALSE(Locate("Name", u"anna", {}));
  EXPECT_TRUE(log.Take().empty());  // no scroll for a miss
  EXPECT_EQ(Id(*people), 5);
  EXPECT_TRUE(Locate("Name", u"anna", {loCaseInsensitive}));
  EXPECT_EQ(Id(*people), 1);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeScroll", "AfterScroll"}));
  EXPECT_FALSE(Locate("Name", u"Ann", {}));
  EXPECT_TRUE(Locate("Name", u"Annab", {loPartialKey}));
  EXPECT_EQ(Id(*people), 4);
  EXPECT_TRUE(Locate("Name", u"ANNE", {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(Id(*people), 2);
  EXPECT_FALSE(Locate("Name", u"Annabella", {loPartialKey}));
}

TEST_F(DataSetLocate, SeveralKeysNullsAndNumbers) {
  EXPECT_TRUE(Locate("Name;Score", OleVariant::ArrayOf({OleVariant(u"Bob"), OleVariant(4.0)}), {}));
  EXPECT_EQ(Id(*people), 5);
  EXPECT_TRUE(Locate("Score", OleVariant::Null(), {}));
  EXPECT_EQ(Id(*people), 4);
  EXPECT_TRUE(Locate("ID", 3, {}));
  EXPECT_EQ(Id(*people), 3);
  EXPECT_THROW(Locate("Name;Score", OleVariant(u"Bob"), {}), EDatabaseError);
  EXPECT_THROW(Locate("Nope", 1, {}), EDatabaseError);
}

TEST_F(DataSetLocate, LookupAnswersValuesWithoutMoving) {
  people->MoveBy(2);
  EventLog log(*people);
  EXPECT_EQ(people->Lookup("ID", 4, "Name").AsString(), u"Annabel");
  const OleVariant both = people->Lookup("Name", u"anne", "ID;Score");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both[0].AsInteger(), 2);
  EXPECT_EQ(both[1].AsDouble(), 1.0);
  EXPECT_TRUE(people->Lookup("ID", 99, "Name").IsNull());
  EXPECT_TRUE(people->Lookup("ID", 4, "Score").IsNull());
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(Id(*people), 3);
}

class CountingSource {
 public:
  explicit CountingSource(TDataSet& dataSet) : source(nullptr) {
    source.OnDataChange = [this](TDataSource&, TField*) { ++changes; };
    source.OnStateChange = [this](TDataSource&) { ++stateChanges; };
    source.SetDataSet(&dataSet);
  }
  TDataSource source;
  int changes = 0;
  int stateChanges = 0;
};

TEST(DataSetControls, DisabledControlsHearOneChangeWhenEnabledAgain) {
  auto people = MakePeople(5, 3);
  CountingSource watcher(*people);
  watcher.changes = 0;
  people->DisableControls();
  people->DisableControls();
  people->Next();
  people->Edit();
  people->Cancel();
  people->Last();
  EXPECT_TRUE(people->ControlsDisabled());
  people->EnableControls();
  EXPECT_EQ(watcher.changes, 0);
  people->EnableControls();
  EXPECT_EQ(watcher.changes, 1);
  EXPECT_EQ(watcher.source.State(), dsBrowse);

  const int stateChanges = watcher.stateChanges;
  people->DisableControls();
  people->Close();
  EXPECT_EQ(watcher.source.State(), dsBrowse);  // not told yet
  people->EnableControls();
  EXPECT_EQ(watcher.source.State(), dsInactive);
  EXPECT_EQ(watcher.stateChanges, stateChanges + 1);
}

TEST(DataSetControls, BlockReadingMovesWithoutTellingTheSources) {
  auto people = MakePeople(5, 3);
  CountingSource watcher(*people);
  watcher.changes = 0;
  people->SetBlockReadSize(10);
  EXPECT_EQ(people->State(), dsBlockRead);
  EXPECT_EQ(watcher.source.State(), dsBrowse);
  int sum = 0;
  for (; !people->Eof(); people->Next()) sum += Id(*people);
  EXPECT_EQ(sum, 15);
  EXPECT_EQ(watcher.changes, 0);
  people->SetBlockReadSize(0);
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(watcher.changes, 1);
}

}  // namespace
