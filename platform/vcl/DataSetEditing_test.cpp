// Editing over the in-memory data set: insert, append, edit, post, cancel
// and delete with their events in order, retried and aborted failures,
// read-only rules, validation and calculated fields.

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/vcl/MemDataSet_TestSupport_test.h"
#include "platform/vcl/NumericFields.h"
#include "platform/vcl/StringFields.h"

namespace {

using vcl_test::EventLog;
using vcl_test::Id;
using vcl_test::Ids;
using vcl_test::MakePeople;

using Entries = std::vector<std::string>;

std::string Name(const TDataSet& dataSet) { return dataSet.FieldByName("Name")->AsString(); }

TEST(DataSetEditing, InsertPlacesTheNewRecordBeforeTheCurrentOne) {
  auto people = MakePeople(3);
  people->Next();
  EventLog log(*people);
  TDataSetState stateInNewRecord = dsInactive;
  people->OnNewRecord = [&](TDataSet& dataSet) {
    log.entries.emplace_back("OnNewRecord");
    stateInNewRecord = dataSet.State();
  };
  people->Insert();
  EXPECT_EQ(log.Take(), (Entries{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                                 "AfterScroll"}));
  EXPECT_EQ(stateInNewRecord, dsInsert);
  EXPECT_EQ(people->State(), dsInsert);
  EXPECT_FALSE(people->Modified());
  EXPECT_TRUE(people->FieldByName("ID")->IsNull());
  people->FieldByName("ID")->SetAsInteger(50);
  EXPECT_TRUE(people->Modified());
  people->Post();
  EXPECT_EQ(log.Take(), (Entries{"BeforePost", "AfterPost"}));
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(Id(*people), 50);
  EXPECT_EQ(people->RecNo(), 2);
  EXPECT_EQ(Ids(*people), (std::vector<int>{1, 50, 2, 3}));
}

TEST(DataSetEditing, AppendAddsAtTheEndWhereverTheCursorWas) {
  auto people = MakePeople(3, 2);
  EventLog log(*people, true);
  people->Append();
  const Entries appended = log.Take();
  EXPECT_EQ(appended.front(), "BeforeInsert");
  EXPECT_NE(std::find(appended.begin(), appended.end(), "InternalLast"), appended.end());
  EXPECT_EQ(appended.back(), "AfterScroll");
  people->FieldByName("ID")->SetAsInteger(60);
  people->Post();
  EXPECT_EQ(Id(*people), 60);
  EXPECT_EQ(Ids(*people), (std::vector<int>{1, 2, 3, 60}));
  // An append into an empty data set.
  auto empty = MakePeople(0);
  empty->Append();
  empty->FieldByName("ID")->SetAsInteger(1);
  empty->Post();
  EXPECT_EQ(Ids(*empty), (std::vector<int>{1}));
}

TEST(DataSetEditing, EditPostsOrCancelsTheChangedRecord) {
  auto people = MakePeople(3);
  people->Next();
  EventLog log(*people, true);
  people->Edit();
  EXPECT_EQ(log.Take(), (Entries{"BeforeEdit", "InternalEdit", "AfterEdit"}));
  EXPECT_EQ(people->State(), dsEdit);
  people->FieldByName("Name")->SetAsString("Changed");
  people->Cancel();
  const Entries cancelled = log.Take();
  EXPECT_EQ(cancelled.front(), "BeforeCancel");
  EXPECT_EQ(cancelled[1], "InternalCancel");
  EXPECT_EQ(cancelled.back(), "AfterCancel");
  EXPECT_EQ(Name(*people), "P2");

  people->Edit();
  people->FieldByName("Name")->SetAsString("Changed");
  log.Take();
  people->Post();
  const Entries posted = log.Take();
  EXPECT_EQ(posted.front(), "BeforePost");
  EXPECT_EQ(posted[1], "InternalPost");
  EXPECT_EQ(posted.back(), "AfterPost");
  people->First();
  people->Next();
  EXPECT_EQ(Name(*people), "Changed");
}

TEST(DataSetEditing, CancellingAnInsertReturnsToTheRecordWithScrollEvents) {
  auto people = MakePeople(3);
  people->Next();
  people->Insert();
  people->FieldByName("ID")->SetAsInteger(9);
  EventLog log(*people);
  people->Cancel();
  EXPECT_EQ(log.Take(), (Entries{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(Id(*people), 2);
  EXPECT_EQ(people->RecordCount(), 3);
  // Deleting while inserting cancels too.
  people->Append();
  people->Delete();
  EXPECT_EQ(log.Take().front(), "BeforeInsert");
  EXPECT_EQ(people->RecordCount(), 3);
  EXPECT_EQ(Id(*people), 3);
}

TEST(DataSetEditing, DeleteMovesToTheNextRecordOrThePriorAtTheEnd) {
  auto people = MakePeople(3);
  people->Next();
  EventLog log(*people, true);
  people->Delete();
  // The ring is read again around the record now under the cursor, the
  // cursor following each end of the ring as it is filled.
  EXPECT_EQ(log.Take(), (Entries{"BeforeDelete", "BeforeScroll", "InternalDelete",
                                 "GetRecord(current)", "GetRecord(prior)", "InternalSetToRecord",
                                 "GetRecord(next)", "InternalSetToRecord", "GetRecord(prior)",
                                 "InternalSetToRecord", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(Id(*people), 3);
  people->Delete();
  EXPECT_EQ(Id(*people), 1);
  people->Delete();
  EXPECT_TRUE(people->IsEmpty());
  try {
    people->Delete();
    FAIL() << "deleted from an empty data set";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Cannot perform this operation on an empty dataset");
  }
  people->Edit();  // in an empty data set: an insert
  EXPECT_EQ(people->State(), dsInsert);
}

TEST(DataSetEditing, MovingAwayPostsAChangedRecordAndCancelsAnUnchangedOne) {
  auto people = MakePeople(3);
  people->Edit();
  people->FieldByName("Name")->SetAsString("Moved");
  EventLog log(*people);
  people->Next();
  EXPECT_EQ(log.Take().front(), "BeforePost");
  people->Prior();
  EXPECT_EQ(Name(*people), "Moved");
  people->Edit();
  log.Take();
  people->Next();
  EXPECT_EQ(log.Take().front(), "BeforeCancel");
}

class RequiredName : public testing::Test {
 protected:
  void SetUp() override {
    table.SetName("Table");
    table.DefineField("ID", ftInteger);
    table.DefineField("Name", ftString, 10, true);
    table.Open();
    table.Append();
    table.FieldByName("ID")->SetAsInteger(1);
  }
  TMemDataSet table{nullptr};
};

TEST_F(RequiredName, APostErrorHandlerCanFixTheRecordAndRetry) {
  int calls = 0;
  table.OnPostError = [&](TDataSet& dataSet, EDatabaseError& error, TDataAction& action) {
    ++calls;
    EXPECT_EQ(error.Message(), "Field 'Name' must have a value");
    EXPECT_EQ(action, daFail);
    dataSet.FieldByName("Name")->SetAsString("fixed");
    action = daRetry;
  };
  EventLog log(table);
  table.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(log.Take(), (Entries{"BeforePost", "AfterPost"}));
  EXPECT_EQ(table.FieldByName("Name")->AsString(), "fixed");
  EXPECT_EQ(table.Records().size(), 1u);
}

TEST_F(RequiredName, AnAbortedPostLeavesTheRecordBeingEdited) {
  table.OnPostError = [](TDataSet&, EDatabaseError&, TDataAction& action) { action = daAbort; };
  EventLog log(table);
  EXPECT_THROW(table.Post(), EAbort);
  EXPECT_EQ(log.Take(), (Entries{"BeforePost"}));
  EXPECT_EQ(table.State(), dsInsert);
  EXPECT_TRUE(table.Records().empty());
  table.Cancel();
  EXPECT_TRUE(table.IsEmpty());
}

TEST_F(RequiredName, WithoutAHandlerThePostErrorIsRaised) {
  try {
    table.Post();
    FAIL() << "posted without a required value";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Name' must have a value");
  }
  EXPECT_EQ(table.State(), dsInsert);
}

TEST(DataSetEditing, EditAndDeleteErrorsGoThroughTheirHandlers) {
  auto people = MakePeople(3);
  int edits = 0;
  int deletes = 0;
  people->OnHook = [&](std::string_view hook) {
    if (hook == "InternalEdit" && ++edits == 1) throw EDatabaseError("locked");
    if (hook == "InternalDelete" && ++deletes == 1) throw EDatabaseError("in use");
    if (hook == "InternalDelete") throw std::runtime_error("not a database error");
  };
  std::vector<std::string> seen;
  people->OnEditError = [&](TDataSet&, EDatabaseError& error, TDataAction& action) {
    seen.push_back("edit: " + error.Message());
    action = daRetry;
  };
  people->OnDeleteError = [&](TDataSet&, EDatabaseError& error, TDataAction& action) {
    seen.push_back("delete: " + error.Message());
    action = daAbort;
  };
  people->Edit();
  EXPECT_EQ(people->State(), dsEdit);
  people->Post();
  EXPECT_THROW(people->Delete(), EAbort);
  EXPECT_EQ(people->RecordCount(), 3);
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(seen, (std::vector<std::string>{"edit: locked", "delete: in use"}));
  EXPECT_EQ(edits, 2);
  // Only database errors go to the handlers.
  EXPECT_THROW(people->Delete(), std::runtime_error);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(people->RecordCount(), 3);
}

TEST(DataSetEditing, ReadOnlyDataSetsAndFieldsRefuseChanges) {
  auto people = MakePeople(2);
  TField* name = people->FieldByName("Name");
  try {
    name->SetAsString("x");
    FAIL() << "changed a field while browsing";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Dataset not in edit or insert mode");
  }
  EXPECT_TRUE(name->CanModify());
  name->SetReadOnly(true);
  EXPECT_FALSE(name->CanModify());
  people->Edit();
  try {
    name->SetAsString("x");
    FAIL() << "changed a read-only field";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'Name' cannot be modified");
  }
  people->Cancel();
  people->SetReadOnly(true);
  EXPECT_FALSE(people->CanModify());
  EXPECT_FALSE(people->FieldByName("ID")->CanModify());
  for (auto change : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete}) {
    try {
      (people.get()->*change)();
      FAIL() << "changed a read-only data set";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), "People: Cannot modify a read-only dataset");
    }
    EXPECT_EQ(people->State(), dsBrowse);
  }
}

TEST(DataSetEditing, AFailingNewRecordHandlerUndoesTheInsert) {
  auto people = MakePeople(3);
  people->Next();
  people->OnNewRecord = [](TDataSet&) { throw EDatabaseError("no defaults"); };
  EXPECT_THROW(people->Insert(), EDatabaseError);
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(Id(*people), 2);
  EXPECT_EQ(people->RecordCount(), 3);
}

TEST(DataSetEditing, ValidationSeesTheNewValueAndMayRefuseIt) {
  auto people = MakePeople(1);
  TField* id = people->FieldByName("ID");
  std::vector<int> validated;
  int changes = 0;
  id->OnValidate = [&](TField& field) {
    validated.push_back(field.AsInteger());
    if (field.AsInteger() < 0) throw EDatabaseError("negative");
  };
  id->OnChange = [&](TField&) { ++changes; };
  people->Edit();
  EXPECT_THROW(id->SetAsInteger(-1), EDatabaseError);
  EXPECT_EQ(id->AsInteger(), 1);
  EXPECT_FALSE(people->Modified());
  id->SetAsInteger(5);
  EXPECT_EQ(id->AsInteger(), 5);
  EXPECT_EQ(validated, (std::vector<int>{-1, 5}));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(people->Modified());
  people->ClearFields();
  EXPECT_TRUE(id->IsNull());
  EXPECT_TRUE(people->FieldByName("Name")->IsNull());
}

class CalculatedFields : public testing::Test {
 protected:
  void SetUp() override {
    auto people = MakePeople(3);
    people->Close();
    data = std::move(people);
    auto* id = new TIntegerField(data.get());
    id->SetFieldName("ID");
    id->SetDataSet(data.get());
    doubled = new TIntegerField(data.get());
    doubled->SetFieldName("Doubled");
    doubled->SetFieldKind(fkCalculated);
    doubled->SetDataSet(data.get());
    data->OnCalcFields = [this](TDataSet& dataSet) {
      states.push_back(dataSet.State());
      const TField* source = dataSet.FieldByName("ID");
      if (!source->IsNull()) doubled->SetAsInteger(source->AsInteger() * 2);
    };
    data->Open();
  }
  std::unique_ptr<TMemDataSet> data;
  TIntegerField* doubled = nullptr;
  std::vector<TDataSetState> states;
};

TEST_F(CalculatedFields, AreCalculatedForEveryRecordRead) {
  EXPECT_EQ(doubled->FieldNo(), -1);
  std::vector<int> values;
  for (data->First(); !data->Eof(); data->Next()) values.push_back(doubled->AsInteger());
  EXPECT_EQ(values, (std::vector<int>{2, 4, 6}));
  for (TDataSetState state : states) EXPECT_EQ(state, dsCalcFields);
  EXPECT_EQ(data->State(), dsBrowse);
}

TEST_F(CalculatedFields, FollowEditsUnlessAutoCalculationIsOff) {
  data->Edit();
  data->FieldByName("ID")->SetAsInteger(10);
  EXPECT_EQ(doubled->AsInteger(), 20);
  EXPECT_EQ(data->State(), dsEdit);
  data->SetAutoCalcFields(false);
  data->FieldByName("ID")->SetAsInteger(11);
  EXPECT_EQ(doubled->AsInteger(), 20);
  data->Post();
  EXPECT_EQ(doubled->AsInteger(), 22);
  data->Insert();
  EXPECT_TRUE(doubled->IsNull());
}

}  // namespace
