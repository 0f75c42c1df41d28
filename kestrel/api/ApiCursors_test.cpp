// Cursors through the C functions: steps at both ends and across the fetch buffer, the values
// of rows (paths, pseudo fields, nulls), writes through a cursor, child cursors, what a cursor
// of a transaction sees, the system tables as the listings read them, and bad handles.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiCursorTest = ShopTest;

// The current row's values through KSGetCurrentValues, or "<status n>".
std::string Current(KSHandle cursor, size_t fields) {
  std::vector<KSField> values(fields + 1);
  const KSStatus status = KSGetCurrentValues(cursor, values.data());
  if (status != KS_OK) return "<status " + std::to_string(status) + ">";
  std::string text;
  for (size_t i = 0; i < fields; ++i) text += (i ? "|" : "") + FieldText(values[i]);
  return text;
}

TEST_F(ApiCursorTest, StepsStopAtBothEndsAndCrossTheFetchBuffer) {
  const KSHandle t = Start(root_);
  const KSHandle c = Cursor(t, u"Item", {u"id", u"name"});
  ASSERT_NE(c, 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_OK);
  EXPECT_EQ(KSGetCount(c), 3);
  KSField v[2]{};
  EXPECT_EQ(KSGetCurrentValues(c, v), KS_BEGIN_OF_TABLE) << "a new cursor stands before the first";
  EXPECT_EQ(KSGetCurrentRecordPos(c), -1);
  EXPECT_EQ(KSGetCurrentRecordID(c), -1);
  EXPECT_EQ(KSGetPreviousRecord(c, v), KS_NO_FURTHER_RECORD);
  ASSERT_EQ(KSSetFetchBuffer(c, 2), KS_OK);

  std::vector<std::string> seen;
  while (KSGetNextRecord(c, v) == KS_OK)
    seen.push_back(FieldText(v[0]) + " " + FieldText(v[1]) + " @" +
                   std::to_string(KSGetCurrentRecordPos(c)));
  EXPECT_EQ(seen, (std::vector<std::string>{"3 Chair @0", "4 Table @1", "5 Lamp @2"}));
  EXPECT_EQ(KSGetNextRecord(c, v), KS_NO_FURTHER_RECORD) << "still after the last";
  EXPECT_EQ(KSGetCurrentValues(c, v), KS_END_OF_TABLE);
  EXPECT_EQ(KSGotoNext(c), KS_END_OF_TABLE);
  seen.clear();
  while (KSGetPreviousRecord(c, v) == KS_OK) seen.push_back(FieldText(v[1]));
  EXPECT_EQ(seen, (std::vector<std::string>{"Lamp", "Table", "Chair"}));
  EXPECT_EQ(KSGotoPrevious(c), KS_BEGIN_OF_TABLE);

  EXPECT_EQ(KSGotoLast(c), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordID(c), 5);
  EXPECT_EQ(KSGotoPrevious(c), KS_OK);
  EXPECT_EQ(Current(c, 2), "4|Table");
  EXPECT_EQ(KSGoto(c, 3), KS_END_OF_TABLE);
  EXPECT_EQ(KSGoto(c, -1), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(KSGetCurrentRecordPos(c), 1) << "a jump outside the rows leaves the cursor";
  EXPECT_EQ(KSGoto(c, 0), KS_OK);
  EXPECT_EQ(Current(c, 2), "3|Chair");
  EXPECT_EQ(KSGotoRecordID(c, 5), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordPos(c), 2);
  EXPECT_EQ(KSGotoRecordID(c, 1), KS_ERR_NO_SUCH_RECORD) << "a supplier";
  EXPECT_EQ(KSGetCurrentRecordPos(c), 2);

  int32_t deleted = 0;
  ASSERT_EQ(KSDestroyAll(t, u"Tag", 0, &deleted), KS_OK);
  const KSHandle none = Cursor(t, u"Tag", {u"label"});
  EXPECT_EQ(KSGetCount(none), 0);
  EXPECT_EQ(KSGotoFirst(none), KS_END_OF_TABLE);
  EXPECT_EQ(KSGotoLast(none), KS_BEGIN_OF_TABLE);
}

TEST_F(ApiCursorTest, RowsShowChangesMadeElsewhereEvenWhenAlreadyFetched) {
  const KSHandle t = Start(root_);
  const KSHandle c = Cursor(t, u"Item", {u"name"});
  ASSERT_EQ(KSSetFetchBuffer(c, 3), KS_OK);
  KSField v[1]{};
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK);
  ASSERT_EQ(SetText(t, 4, u"name", u"Desk"), KS_OK);
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK);
  EXPECT_EQ(FieldText(v[0]), "Desk") << "the buffer is read again after a change";

  ASSERT_EQ(KSDestroyObject(KSGetObject(t, 4)), KS_OK);
  EXPECT_EQ(KSGetCurrentValues(c, v), KS_ERR_NO_SUCH_RECORD);
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK);
  EXPECT_EQ(FieldText(v[0]), "Lamp");
  ASSERT_EQ(KSGetPreviousRecord(c, v), KS_OK) << "the deleted row is stepped over";
  EXPECT_EQ(FieldText(v[0]), "Chair");
  EXPECT_EQ(KSGetCount(c), 2);
  EXPECT_EQ(KSGetPreviousRecord(c, v), KS_NO_FURTHER_RECORD);
}

TEST_F(ApiCursorTest, RowsReadAheadLeaveEveryCursorWhereItsCallerLeftIt) {
  const KSHandle t = Start(root_);
  const KSHandle c = Cursor(t, u"Item", {u"id", u"name"});
  const KSHandle other = Cursor(t, u"Item", {u"name"});
  ASSERT_EQ(KSSetFetchBuffer(c, 10), KS_OK);
  ASSERT_EQ(KSSetFetchBuffer(other, 3), KS_OK);
  KSField v[2]{};
  KSField w[1]{};
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK) << "reads every row at once";
  EXPECT_EQ(FieldText(v[1]), "Chair");
  EXPECT_EQ(KSGetCurrentRecordPos(c), 0);
  EXPECT_EQ(KSGetCurrentRecordID(c), 3);
  ASSERT_EQ(KSGetNextRecord(other, w), KS_OK) << "steps of one cursor between those of another";
  EXPECT_EQ(FieldText(w[0]), "Chair");
  EXPECT_EQ(KSGotoNext(c), KS_OK);
  EXPECT_EQ(Current(c, 2), "4|Table") << "the cursor stood on the first row, not on the last read";
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK);
  EXPECT_EQ(FieldText(v[1]), "Lamp");
  EXPECT_EQ(KSGetNextRecord(c, v), KS_NO_FURTHER_RECORD);
  EXPECT_EQ(KSGetCurrentRecordPos(c), -1);
  ASSERT_EQ(KSGetPreviousRecord(c, v), KS_OK) << "turning back";
  EXPECT_EQ(FieldText(v[1]), "Lamp");
  ASSERT_EQ(KSGetPreviousRecord(c, v), KS_OK);
  EXPECT_EQ(FieldText(v[1]), "Table");

  const char16_t* held = w[0].value.asString;
  ASSERT_EQ(SetText(t, 4, u"name", u"Desk"), KS_OK);
  EXPECT_EQ(N(held), "Chair") << "a row's texts stay valid until the next call on its cursor";
  ASSERT_EQ(KSGetNextRecord(other, w), KS_OK);
  EXPECT_EQ(FieldText(w[0]), "Desk") << "rows read before a change are read again";
  EXPECT_EQ(KSGetCurrentRecordID(other), 4);

  ASSERT_EQ(KSSetFetchBuffer(c, 1), KS_OK);
  EXPECT_EQ(Current(c, 2), "4|Desk") << "a smaller buffer keeps the cursor's row";
  ASSERT_EQ(KSGetNextRecord(c, v), KS_OK);
  EXPECT_EQ(FieldText(v[1]), "Lamp");
}

TEST_F(ApiCursorTest, RowsCarryPathsPseudoFieldsAndTheNullValuesOfTheirTypes) {
  const KSHandle t = Start(root_);
  const KSHandle items = Cursor(t, u"Item", {u"ID", u"supplierP.name", u"supplierP.itemsPV.Count()",
                                             u"supplierP", u"kind", u"code", u"Count()"});
  ASSERT_NE(items, 0u);
  EXPECT_EQ(Rows(items, 7), (std::vector<std::string>{"3|Nordic|2|1|0||1", "4|Nordic|2|1|0||1",
                                                       "5||0|-1|0||1"}));
  KSField v[7]{};
  ASSERT_EQ(KSGotoFirst(items), KS_OK);
  ASSERT_EQ(KSGetCurrentValues(items, v), KS_OK);
  EXPECT_EQ(v[0].type, KS_TYPE_ID);
  EXPECT_EQ(N(v[0].name), "ID");
  EXPECT_EQ(v[1].type, KS_TYPE_STRING);
  EXPECT_EQ(v[2].type, KS_TYPE_UNSIGNED2);
  EXPECT_EQ(v[3].type, KS_TYPE_REFERENCE);
  EXPECT_EQ(v[5].value.asString, nullptr) << "a null text";

  // A field list longer than the class: fields may repeat and mix with paths.
  const KSHandle suppliers =
      Cursor(t, u"Supplier", {u"name", u"itemsPV", u"itemsPV.Count()", u"id", u"NAME", u"Count()"});
  ASSERT_NE(suppliers, 0u);
  EXPECT_EQ(Rows(suppliers, 6),
            (std::vector<std::string>{"Nordic|2|2|1|Nordic|1", "Alpine|0|0|2|Alpine|1"}));
  ASSERT_EQ(KSGotoFirst(suppliers), KS_OK);
  ASSERT_EQ(KSGetCurrentValues(suppliers, v), KS_OK);
  EXPECT_EQ(v[1].type, KS_TYPE_LINKS);

  const KSHandle none = Cursor(t, u"Tag", {});
  ASSERT_NE(none, 0u) << "a cursor without fields still has rows";
  EXPECT_EQ(KSGetCount(none), 1);
  EXPECT_EQ(KSGetNextRecord(none, nullptr), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordID(none), 6);
}

// A value as text that tells every value apart: its type and name, a null text from an
// empty one, a blob's bytes and length.
std::string Exact(const KSField& v) {
  std::string text = std::to_string(v.type) + ":" + N(v.name) + "=";
  if (v.type == KS_TYPE_STRING) return text + (v.value.asString ? "'" + N(v.value.asString) + "'" : "null");
  if (v.type != KS_TYPE_BLOB) return text + FieldText(v);
  const auto* bytes = static_cast<const char*>(v.value.asBlob);
  return text + (bytes ? "'" + std::string(bytes, static_cast<size_t>(v.blobLength)) + "'" : "null") +
         "/" + std::to_string(v.blobLength);
}

TEST_F(ApiCursorTest, RowsReadAheadCarryEveryKindOfValueAsSingleStepsDo) {
  ASSERT_EQ(CreateDbFromText("Orders",
                             "KESTREL-TEXT 1\nSCHEMA\tSales\t1.0\nNEXT\t200\n"
                             "R\t100\tCustomer\tname=Ann\n"
                             "R\t101\tOrder\tnumber=1\tcustomerP=100\tweight=-0x1.4p+1\tscan=620062\t"
                             "note=n\xc3\xa9\n"
                             "R\t102\tOrder\tnumber=2\tlead=60\ttags=5\nR\t103\tOrder\nEND\n"),
            KS_OK);
  const KSHandle t = Start(KSGetRootTrn(Logon("Orders")));
  const std::vector<const char16_t*> fields = {u"number", u"date", u"weight", u"lead", u"scan",
                                               u"tags", u"note", u"customerP", u"ID"};
  const std::string bytes("b\0b", 3);

  // Every row with its place, walked forwards (or backwards from after the last row).
  const auto walk = [&](int32_t buffer, bool forward) {
    const KSHandle c = Cursor(t, u"Order", fields);
    EXPECT_EQ(KSSetFetchBuffer(c, buffer), KS_OK);
    if (!forward) {
      EXPECT_EQ(KSGotoLast(c), KS_OK);
      EXPECT_EQ(KSGotoNext(c), KS_END_OF_TABLE);
    }
    std::vector<std::string> rows;
    KSField v[9]{};
    while ((forward ? KSGetNextRecord(c, v) : KSGetPreviousRecord(c, v)) == KS_OK) {
      std::string row = "@" + std::to_string(KSGetCurrentRecordPos(c)) + "#" + std::to_string(KSGetCurrentRecordID(c));
      for (const KSField& value : v) row += " " + Exact(value);
      rows.push_back(row);
    }
    EXPECT_EQ(KSReleaseCursor(c), KS_OK);
    return rows;
  };
  const std::vector<std::string> single = walk(1, true);
  ASSERT_EQ(single.size(), 3u);
  EXPECT_NE(single[0].find("5:weight=-2.5 4:lead="), std::string::npos) << single[0];
  EXPECT_NE(single[0].find("16:scan='" + bytes + "'/3"), std::string::npos) << single[0];
  EXPECT_NE(single[0].find("9:note='n\u00e9'"), std::string::npos) << single[0];
  EXPECT_NE(single[1].find("4:lead=60"), std::string::npos) << single[1];
  EXPECT_NE(single[2].find("16:scan=null/0"), std::string::npos) << single[2];
  EXPECT_EQ(walk(2, true), single) << "across fetches";
  EXPECT_EQ(walk(10, true), single) << "in one fetch";
  const std::vector<std::string> reversed(single.rbegin(), single.rend());
  EXPECT_EQ(walk(1, false), reversed);
  EXPECT_EQ(walk(2, false), reversed);
}

TEST_F(ApiCursorTest, InsertsLandInTheOrderOrOutsideTheFilterWithTheirNewID) {
  const KSHandle t = Start(root_);
  const KSHandle sort = KSGetNewSortHandle();
  ASSERT_EQ(KSAddSortField(sort, u"name", 0), KS_OK);
  KSField limit = IntField(KS_TYPE_INTEGER, 1);
  const KSHandle inStock = KSMakeNewCondition(u"stock", 5, &limit, 0);
  ASSERT_EQ(KSSetFilterCondition(sort, inStock), KS_OK);
  const KSHandle c = Cursor(t, u"Item", {u"name", u"stock"}, u"", sort);
  ASSERT_NE(c, 0u);
  EXPECT_EQ(Rows(c, 2), (std::vector<std::string>{"Chair|5", "Table|2"}));

  KSField row[2] = {TextField(u"Bench"), IntField(KS_TYPE_INTEGER, 7)};
  KSRecordID id = 0;
  ASSERT_EQ(KSInsertNewRecord(c, row, 2, nullptr, &id), KS_OK) << "names from the field list";
  EXPECT_GT(id, 7);
  EXPECT_EQ(KSGetCurrentRecordPos(c), 0) << "Bench sorts first";
  EXPECT_EQ(Current(c, 2), "Bench|7");
  EXPECT_EQ(Text(t, id, u"name"), "Bench");

  KSField outside[1] = {TextField(u"Stool", u"name")};
  KSRecordID stool = 0;
  EXPECT_EQ(KSInsertNewRecord(c, outside, 1, nullptr, &stool), KS_RECORD_NOT_IN_CURSOR);
  EXPECT_GT(stool, id);
  EXPECT_EQ(Text(t, stool, u"name"), "Stool") << "created all the same";
  // A record outside the cursor reads through an object what the cursor's rows hold.
  const char16_t* list[] = {u"name", u"supplierP.name", u"Count()"};
  KSField read[3]{};
  ASSERT_EQ(KSGetValues(KSGetObject(t, stool), list, 3, read), KS_OK);
  EXPECT_EQ(FieldText(read[0]) + "|" + FieldText(read[1]) + "|" + FieldText(read[2]), "Stool||1");
  EXPECT_EQ(N(read[1].name), "supplierP.name");
  EXPECT_EQ(KSGetCount(c), 3);
  EXPECT_EQ(KSGetCurrentRecordID(c), id) << "the cursor stays";

  // A change moves the row to its place, or out of the rows.
  KSField rename[1] = {TextField(u"Stand", u"name")};
  ASSERT_EQ(KSSetCurrentValues(c, rename, 1), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordPos(c), 1);
  EXPECT_EQ(Rows(c, 2), (std::vector<std::string>{"Chair|5", "Stand|7", "Table|2"}));
  ASSERT_EQ(KSGotoRecordID(c, id), KS_OK);
  KSField empty[1] = {IntField(KS_TYPE_INTEGER, 0, u"stock")};
  ASSERT_EQ(KSSetCurrentValues(c, empty, 1), KS_OK);
  EXPECT_EQ(KSGetCount(c), 2);
  EXPECT_EQ(KSGetCurrentRecordID(c), 4) << "on the row that followed";
  EXPECT_EQ(KSSetCurrentValues(c, empty, 0), KS_OK) << "nothing to write";

  // Refusals change nothing.
  KSField same[1] = {TextField(u"Chair", u"name")};
  EXPECT_EQ(KSInsertNewRecord(c, same, 1, nullptr, &id), KS_ERR_DUPLICATE_KEY);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(KSSetCurrentValues(c, same, 1), KS_ERR_DUPLICATE_KEY);
  KSField wrong[1] = {IntField(KS_TYPE_INTEGER, 3, u"name")};
  EXPECT_EQ(KSInsertNewRecord(c, wrong, 1, nullptr, &id), KS_ERR_INVALID_ARGUMENT);
  const char16_t* names[] = {u"supplierP.name"};
  EXPECT_EQ(KSInsertNewRecord(c, same, 1, names, &id), KS_ERR_ACCESS_DENIED) << "a path only reads";
  KSField code[1] = {TextField(u"X", u"code")};
  EXPECT_EQ(KSInsertNewRecord(c, code, 1, nullptr, &id), KS_ERR_ACCESS_DENIED) << "read-only";
  names[0] = u"nothing";
  EXPECT_EQ(KSInsertNewRecord(c, same, 1, names, &id), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(KSInsertNewRecord(c, same, 1, nullptr, nullptr), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSGetCount(c), 2);
  KSReleaseCondition(inStock);
  KSReleaseSortHandle(sort);
}

TEST_F(ApiCursorTest, DeletionsThroughACursorAreRefusedOrLeaveItOnTheNextRow) {
  const KSHandle t = Start(root_);
  const KSHandle suppliers = Cursor(t, u"Supplier", {u"name"});
  ASSERT_EQ(KSGotoFirst(suppliers), KS_OK);
  EXPECT_EQ(KSDeleteCurrentRecord(suppliers), KS_ERR_DELETE_REFERENCED);
  const KSHandle items = Cursor(t, u"Item", {u"name"});
  ASSERT_EQ(KSGotoLast(items), KS_OK);
  EXPECT_EQ(KSDeleteCurrentRecord(items), KS_ERR_DELETE_REFUSED) << "the lamp is locked";
  EXPECT_EQ(KSGetCount(items), 3);
  const KSHandle archive = Cursor(t, u"Archive", {u"note"});
  ASSERT_EQ(KSGotoFirst(archive), KS_OK);
  EXPECT_EQ(KSDeleteCurrentRecord(archive), KS_ERR_DELETE_REFUSED) << "a read-only class";

  ASSERT_EQ(KSGoto(items, 1), KS_OK);
  ASSERT_EQ(KSDeleteCurrentRecord(items), KS_OK);
  EXPECT_EQ(Current(items, 1), "Lamp");
  EXPECT_EQ(KSGetCount(items), 2);
  const KSHandle tags = Cursor(t, u"Tag", {u"label"});
  ASSERT_EQ(KSGotoFirst(tags), KS_OK);
  ASSERT_EQ(KSDeleteCurrentRecord(tags), KS_OK);
  EXPECT_EQ(Current(tags, 1), "<status 1006>") << "no row left";
  EXPECT_EQ(KSDeleteCurrentRecord(tags), KS_BEGIN_OF_TABLE);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSGetObject(root_, 4), 0u);
}

TEST_F(ApiCursorTest, ChildCursorsShowTheRecordsLinkedToTheirParentAndLinkNewOnes) {
  const KSHandle t = Start(root_);
  const char16_t* fields[] = {u"name", u"supplierP"};
  const KSHandle nordic = KSCreateChildCursor(1, t, u"itemsPV", u"", fields, 2, 0);
  ASSERT_NE(nordic, 0u);
  EXPECT_EQ(Rows(nordic, 2), (std::vector<std::string>{"Chair|1", "Table|1"}));
  const KSHandle alpine = KSCreateChildCursor(2, t, u"itemsPV", u"Item", fields, 1, 0);
  ASSERT_NE(alpine, 0u);
  EXPECT_EQ(KSGetCount(alpine), 0);
  KSField vase[1] = {TextField(u"Vase", u"name")};
  KSRecordID id = 0;
  ASSERT_EQ(KSInsertNewRecord(alpine, vase, 1, nullptr, &id), KS_OK);
  EXPECT_EQ(Int(t, id, u"supplierP"), 2) << "linked to the parent";
  EXPECT_EQ(Rows(alpine, 1), std::vector<std::string>{"Vase"});

  // A stored link list: the tag's items.
  const KSHandle tagged = KSCreateChildCursor(6, t, u"taggedPV", u"", fields, 1, 0);
  ASSERT_NE(tagged, 0u);
  ASSERT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 4), KS_OK);
  EXPECT_EQ(KSGetCount(tagged), 0) << "rows are fixed when the cursor is made";
  KSField rug[1] = {TextField(u"Rug", u"name")};
  ASSERT_EQ(KSInsertNewRecord(tagged, rug, 1, nullptr, &id), KS_OK);
  EXPECT_EQ(Int(t, 6, u"taggedPV"), 2);
  const KSHandle again = KSCreateChildCursor(6, t, u"taggedPV", u"", fields, 1, 0);
  EXPECT_EQ(Rows(again, 1), (std::vector<std::string>{"Rug", "Table"}));

  EXPECT_EQ(KSCreateChildCursor(-1, t, u"itemsPV", u"", fields, 1, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_MASTER_RECORD);
  EXPECT_EQ(KSCreateChildCursor(77, t, u"itemsPV", u"", fields, 1, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_CLASS) << "no parent: nothing to show";
  EXPECT_EQ(KSCreateChildCursor(1, t, u"itemByName", u"", fields, 1, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_INDEX) << "not a link index";
  EXPECT_EQ(KSCreateChildCursor(3, t, u"itemsPV", u"", fields, 1, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_INDEX) << "not of the parent's class";
  EXPECT_EQ(KSCreateChildCursor(1, t, u"itemsPV", u"Nothing", fields, 1, 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_CLASS);
}

TEST_F(ApiCursorTest, ACursorSeesItsTransactionsChangesAndNoOtherTransactionsUntilCommitted) {
  const KSHandle t1 = Start(root_);
  const KSHandle t2 = Start(root_);
  const KSHandle writer = Cursor(t1, u"Item", {u"name"});
  KSField stool[1] = {TextField(u"Stool", u"name")};
  KSRecordID id = 0;
  ASSERT_EQ(KSInsertNewRecord(writer, stool, 1, nullptr, &id), KS_OK);
  EXPECT_EQ(KSGetCount(Cursor(t1, u"Item", {u"name"})), 4);
  EXPECT_EQ(KSGetCount(Cursor(Start(t1), u"Item", {u"name"})), 4) << "a child sees its parent's";
  const KSHandle other = Cursor(t2, u"Item", {u"name"});
  EXPECT_EQ(KSGetCount(other), 3);
  EXPECT_EQ(KSGetCount(Cursor(root_, u"Item", {u"name"})), 3);
  EXPECT_EQ(KSGotoRecordID(other, id), KS_ERR_NO_SUCH_RECORD);

  ASSERT_EQ(KSCommit(t1, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSGetCount(Cursor(t2, u"Item", {u"name"})), 4);
  EXPECT_EQ(KSGetCount(other), 3) << "an open cursor keeps its rows";
  EXPECT_EQ(Rows(writer, 1), (std::vector<std::string>{"Chair", "Table", "Lamp", "Stool"}));

  ASSERT_EQ(KSReleaseTransaction(t1), KS_OK);
  EXPECT_EQ(KSGotoFirst(writer), KS_ERR_INVALID_HANDLE) << "released with its transaction";
  EXPECT_EQ(KSGetCount(writer), -1);
  EXPECT_EQ(KSReleaseCursor(writer), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSReleaseSession(session_), KS_OK);
  EXPECT_EQ(KSGetNextRecord(other, stool), KS_ERR_INVALID_HANDLE);
}

TEST_F(ApiCursorTest, RowsCompareByTheirPlaceInTheCursor) {
  const KSHandle t = Start(root_);
  const KSHandle byName = Cursor(t, u"Item", {u"name"}, u"itemByName");
  ASSERT_NE(byName, 0u);
  EXPECT_EQ(Rows(byName, 1), (std::vector<std::string>{"Chair", "Lamp", "Table"}));
  EXPECT_EQ(KSCursorIDCompare(byName, 3, 4), 1);
  EXPECT_EQ(KSCursorIDCompare(byName, 4, 5), 3);
  EXPECT_EQ(KSCursorIDCompare(byName, 5, 5), 2);
  EXPECT_EQ(KSCursorIDCompare(byName, 3, 1), 0) << "a supplier is no row";
  EXPECT_EQ(KSCursorIDCompare(byName, 3, 77), 0);
  EXPECT_EQ(KSCursorIDCompare(0, 3, 4), 0);
  EXPECT_EQ(Cursor(t, u"Item", {u"name"}, u"nothing"), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_INDEX);
  EXPECT_EQ(Cursor(t, u"Supplier", {u"name"}, u"itemByName"), 0u) << "an index of another class";
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_NO_SUCH_INDEX);
}

TEST_F(ApiCursorTest, TheSystemTablesReadAsTheListingsReadThem) {
  ASSERT_NE(Start(root_, 0x100, "Plan B"), 0u);
  ASSERT_NE(Start(root_, 0x100, "Plan A"), 0u);
  const KSHandle t = Start(root_, 0x200);
  const KSHandle plans = Cursor(t, u"_DBTransaction", {u"name", u"isVersion", u"userName"},
                                u"childrenPV");
  ASSERT_NE(plans, 0u) << KSGetLastCursorError();
  EXPECT_EQ(Rows(plans, 3), (std::vector<std::string>{"Plan A|1|system", "Plan B|1|system"}));
  KSField pattern = TextField(u"[pP][lL][aA][nN] [bB]");
  const KSHandle planB = KSMakeNewCondition(u"name", 2, &pattern, 1);
  ASSERT_EQ(KSGotoFirstMatch(plans, planB), KS_OK);
  EXPECT_EQ(KSGetCurrentRecordPos(plans), 1);

  const KSHandle users = Cursor(t, u"SYSUser", {u"name", u"isAdmin"});
  pattern = TextField(u"[sS][yY][sS][tT][eE][mM]");
  const KSHandle system = KSMakeNewCondition(u"name", 2, &pattern, 1);
  ASSERT_EQ(KSGotoFirstMatch(users, system), KS_OK);
  EXPECT_EQ(Current(users, 2), "system|1");
  EXPECT_EQ(Cursor(t, u"SYSUser", {u"name", u"password"}), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_ACCESS_DENIED) << "an invisible field";
  const char16_t* password[] = {u"password"};
  KSField hash{};
  EXPECT_EQ(KSGetValues(KSGetObject(t, KSGetCurrentRecordID(users)), password, 1, &hash),
            KS_ERR_ACCESS_DENIED);
  int32_t count = 0;
  EXPECT_EQ(Strings(KSGetGlobalIndexes(session_, u"_DBTransaction", &count), count),
            std::vector<std::string>{"childrenPV"});
  KSReleaseCondition(planB);
  KSReleaseCondition(system);
}

TEST_F(ApiCursorTest, BadHandlesArgumentsAndFieldsAreRefused) {
  const KSHandle t = Start(root_);
  const char16_t* name[] = {u"name"};
  for (const KSHandle bad : {KSHandle{0}, session_, KSHandle{0xFFFFFFFF}}) {
    EXPECT_EQ(KSCreateCursor(bad, u"Item", name, 1, u"", 0), 0u);
    EXPECT_EQ(KSGetLastCursorError(), KS_ERR_INVALID_HANDLE);
    KSField v[1]{};
    KSRecordID id = 5;
    EXPECT_EQ(KSGotoFirst(bad), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetNextRecord(bad, v), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetCurrentValues(bad, v), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSInsertNewRecord(bad, v, 0, nullptr, &id), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(KSGetCurrentRecordID(bad), -1);
    EXPECT_EQ(KSGetCurrentRecordPos(bad), -1);
    EXPECT_EQ(KSSetFetchBuffer(bad, 5), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCursorSetUserData(bad, this), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSDeleteCurrentRecord(bad), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSReleaseCursor(bad), KS_ERR_INVALID_HANDLE);
  }
  const KSHandle c = Cursor(t, u"Item", {u"name"});
  EXPECT_EQ(KSCursorSetUserData(c, this), KS_OK);
  EXPECT_EQ(KSSetFetchBuffer(c, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSGetNextRecord(c, nullptr), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSReleaseCursor(c), KS_OK);
  EXPECT_EQ(KSGotoFirst(c), KS_ERR_INVALID_HANDLE) << "stale";

  auto refused = [&](std::vector<const char16_t*> fields, const char16_t* cls = u"Item") {
    const KSHandle made = Cursor(t, cls, fields);
    return made == 0 ? KSGetLastCursorError() : KS_OK;
  };
  EXPECT_EQ(refused({u"name", u"nothing"}), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(refused({u"name.first"}), KS_ERR_NO_SUCH_FIELD) << "a path through a text";
  EXPECT_EQ(refused({u"itemsPV.name"}, u"Supplier"), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(refused({u"[Tag].label"}), KS_ERR_NO_SUCH_FIELD) << "an unrelated class";
  EXPECT_EQ(refused({u"name"}, u"Nothing"), KS_ERR_NO_SUCH_CLASS);
  EXPECT_EQ(refused({u"note"}, u"Secret"), KS_ERR_NO_SUCH_CLASS) << "invisible: nothing to show";
  EXPECT_EQ(refused({nullptr}), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSCreateCursor(t, u"Item", nullptr, 1, u"", 0), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSCreateCursor(t, u"Item", name, -1, u"", 0), 0u);
  EXPECT_EQ(KSCreateCursor(t, u"Item", name, 1 << 20, u"", 0), 0u) << "beyond any field list";
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSCreateCursor(t, u"Item", name, 1, u"", KSHandle{0x70000001}), 0u);
  EXPECT_EQ(KSGetLastCursorError(), KS_ERR_INVALID_HANDLE) << "no such sort handle";
}

class ApiSalesCursorTest : public ApiTest {};

TEST_F(ApiSalesCursorTest, ACursorOnAClassShowsItsSubclassesAndReadsTheirFieldsByClassName) {
  ASSERT_NE(Connect(), 0u);
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle session = Logon("Shop");
  const KSHandle t = KSStartTransaction(KSGetRootTrn(session), 0x800, u"t");
  const char16_t* name[] = {u"name"};
  const KSHandle customers = KSCreateCursor(t, u"Customer", name, 1, u"", 0);
  const KSHandle vips = KSCreateCursor(t, u"VipCustomer", name, 1, u"", 0);
  KSField ann[1] = {TextField(u"Ann", u"name")};
  KSField bob[1] = {TextField(u"Bob", u"name")};
  KSRecordID id = 0;
  ASSERT_EQ(KSInsertNewRecord(customers, ann, 1, nullptr, &id), KS_OK);
  ASSERT_EQ(KSInsertNewRecord(vips, bob, 1, nullptr, &id), KS_OK);
  const KSRecordID bobID = id;
  const KSHandle parties = KSCreateCursor(t, u"Party", name, 1, u"", 0);
  EXPECT_EQ(KSInsertNewRecord(parties, ann, 1, nullptr, &id), KS_ERR_INVALID_ARGUMENT)
      << "a class without records of its own";
  const char16_t* fields[] = {u"name", u"[Customer].rating", u"[VipCustomer].id"};
  const KSHandle all = KSCreateCursor(t, u"Party", fields, 3, u"byName", 0);
  ASSERT_NE(all, 0u);
  KSField v[3]{};
  std::vector<std::string> rows;
  while (KSGetNextRecord(all, v) == KS_OK)
    rows.push_back(FieldText(v[0]) + "|" + FieldText(v[1]) + "|" + FieldText(v[2]));
  EXPECT_EQ(rows, (std::vector<std::string>{"Ann|1|-1", "Bob|1|" + std::to_string(bobID)}));
}

}  // namespace
}  // namespace kestrel::test
