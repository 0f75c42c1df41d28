// Objects, links, deletions and the validation of commits through the C functions; the
// events commits send; and what every new function does with bad handles and pointers.
#include <condition_variable>
#include <mutex>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiObjectTest = ShopTest;
using Found = std::vector<std::pair<int32_t, int16_t>>;

TEST_F(ApiObjectTest, ObjectsReadAndWriteTypedValuesWithTheirNullValues) {
  const KSHandle t = Start(root_);
  const KSHandle item = KSGetObject(t, 3);
  ASSERT_NE(item, 0u);
  EXPECT_EQ(N(KSGetObjectTable(item)), "Item");
  const char16_t* names[] = {u"id", u"name", u"kind", u"supplierP", u"locked"};
  KSField values[5]{};
  ASSERT_EQ(KSGetValues(item, names, 5, values), KS_OK);
  EXPECT_EQ(values[0].type, KS_TYPE_ID);
  EXPECT_EQ(values[0].value.asInteger, 3);
  EXPECT_EQ(N(values[1].value.asString), "Chair");
  EXPECT_EQ(N(values[1].name), "name");
  EXPECT_EQ(values[2].value.asInteger, 0) << "a null enumerated value reads as 0";
  EXPECT_EQ(values[3].value.asInteger, 1);
  EXPECT_EQ(values[4].type, KS_TYPE_BOOLEAN);

  KSField change[2]{};
  change[0].type = KS_TYPE_REFERENCE;
  change[0].value.asInteger = -1;  // the null reference
  change[0].name = u"supplierP";
  change[1].type = KS_TYPE_ENUMERATED;
  change[1].value.asInteger = 2;
  change[1].name = u"kind";
  ASSERT_EQ(KSSetValues(item, change, 2), KS_OK);
  EXPECT_EQ(Int(t, 3, u"supplierP"), -1);
  EXPECT_EQ(Int(t, 3, u"kind"), 2);
  change[0].type = KS_TYPE_STRING;
  change[0].value.asString = u"3";
  EXPECT_EQ(KSSetValues(item, change, 1), KS_ERR_INVALID_ARGUMENT) << "a type that does not fit";
  change[0].name = u"nothing";
  EXPECT_EQ(KSSetValues(item, change, 1), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(KSSetValues(item, change, 0), KS_OK);
  const char16_t* unknown[] = {u"nothing"};
  EXPECT_EQ(KSGetValues(item, unknown, 1, values), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(SetText(t, 3, u"code", u"X-1"), KS_ERR_ACCESS_DENIED) << "a read-only field";
  EXPECT_EQ(KSGetObject(t, 77), 0u) << "no record 77";
  EXPECT_EQ(KSReleaseObject(item), KS_OK);
  EXPECT_EQ(KSReleaseObject(item), KS_ERR_INVALID_HANDLE);
}

TEST_F(ApiObjectTest, DeletionsAreRefusedForReferencedAndProtectedRecords) {
  const KSHandle t = Start(root_);
  const KSHandle supplier = KSGetObject(t, 1);
  EXPECT_EQ(KSDestroyObject(supplier), KS_ERR_DELETE_REFERENCED) << "items 3 and 4 refer to it";
  const KSHandle lamp = KSGetObject(t, 5);
  EXPECT_EQ(KSDestroyObject(lamp), KS_ERR_DELETE_REFUSED) << "locked";
  EXPECT_EQ(SetInt(t, 5, u"stock", KS_TYPE_INTEGER, 1), KS_ERR_ACCESS_DENIED);
  ASSERT_EQ(SetInt(t, 5, u"locked", KS_TYPE_BOOLEAN, 0), KS_OK) << "lifting the protection";
  EXPECT_EQ(SetInt(t, 5, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  EXPECT_EQ(KSDestroyObject(KSGetObject(t, 7)), KS_ERR_DELETE_REFUSED) << "a read-only class";

  EXPECT_EQ(KSDestroyObject(KSGetObject(t, 3)), KS_OK);
  EXPECT_EQ(KSDestroyObject(KSGetObject(t, 4)), KS_OK);
  EXPECT_EQ(KSDestroyObject(supplier), KS_OK) << "nothing refers to it any more";
  EXPECT_EQ(KSGetObjectTable(supplier), nullptr);
  EXPECT_EQ(KSDestroyObject(supplier), KS_ERR_NO_SUCH_RECORD);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSGetObject(root_, 1), 0u);
  EXPECT_EQ(Int(root_, 5, u"stock"), 1);
}

TEST_F(ApiObjectTest, LinksAreStoredListsOrBackReferencesAndCountedWhenRead) {
  const KSHandle t = Start(root_);
  ASSERT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 3), KS_OK);
  ASSERT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 4), KS_OK);
  EXPECT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 4), KS_OK) << "linking twice changes nothing";
  EXPECT_EQ(Int(t, 6, u"taggedPV"), 2);
  EXPECT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 1), KS_ERR_WRONG_CLASS);
  EXPECT_EQ(KSCreateNewLink(t, 6, u"taggedPV", 77), KS_ERR_NO_SUCH_RECORD);
  EXPECT_EQ(KSCreateNewLink(t, 6, u"label", 3), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSCreateNewLink(t, 6, u"nothing", 3), KS_ERR_NO_SUCH_FIELD);
  EXPECT_EQ(KSDestroyObject(KSGetObject(t, 3)), KS_ERR_DELETE_REFERENCED) << "tag 6 links it";
  ASSERT_EQ(KSDestroyLink(t, 6, u"taggedPV", 3), KS_OK);
  EXPECT_EQ(KSDestroyLink(t, 6, u"taggedPV", 3), KS_ERR_NOT_LINKED);

  EXPECT_EQ(Int(t, 2, u"itemsPV"), 0);
  ASSERT_EQ(KSCreateNewLink(t, 2, u"itemsPV", 3), KS_OK) << "moves item 3 to supplier 2";
  EXPECT_EQ(Int(t, 3, u"supplierP"), 2);
  EXPECT_EQ(Int(t, 2, u"itemsPV"), 1);
  EXPECT_EQ(Int(t, 1, u"itemsPV"), 1);
  EXPECT_EQ(KSDestroyLink(t, 1, u"itemsPV", 3), KS_ERR_NOT_LINKED);
  ASSERT_EQ(KSDestroyLink(t, 2, u"itemsPV", 3), KS_OK);
  EXPECT_EQ(Int(t, 3, u"supplierP"), -1);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(Int(root_, 6, u"taggedPV"), 1);
}

TEST_F(ApiObjectTest, DestroyAllDeletesAClassWithItsSubclassesOrNothing) {
  const KSHandle t = Start(root_);
  int32_t count = -1;
  EXPECT_EQ(KSDestroyAll(t, u"Supplier", 0, &count), KS_ERR_DELETE_REFERENCED);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Int(t, 2, u"itemsPV"), 0) << "supplier 2 is still there: all or nothing";
  ASSERT_EQ(SetInt(t, 5, u"locked", KS_TYPE_BOOLEAN, 0), KS_OK);
  ASSERT_EQ(KSDestroyAll(t, u"Item", 0, &count), KS_OK);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(KSDestroyAll(t, u"Supplier", 0, &count), KS_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(KSDestroyAll(t, u"Nothing", 0, &count), KS_ERR_NO_SUCH_CLASS);
  EXPECT_EQ(KSDestroyAll(t, u"Tag", 5, &count), KS_ERR_INVALID_HANDLE) << "no such condition";
  EXPECT_EQ(KSDestroyAll(t, u"Tag", 0, nullptr), KS_ERR_INVALID_ARGUMENT);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSGetObject(root_, 3), 0u);
  EXPECT_NE(KSGetObject(root_, 6), 0u);
}

TEST_F(ApiObjectTest, ValidationErrorsBlockACommitAndWarningsDoNot) {
  const KSHandle t = Start(root_);
  ASSERT_EQ(SetText(t, 3, u"name", u""), KS_OK);            // required
  ASSERT_EQ(SetText(t, 4, u"name", u"Lamp"), KS_OK);        // unique key of item 5
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_ERR_COMMIT_ERRORS);
  EXPECT_EQ(Errors(t), (Found{{KS_ERR_REQUIRED_FIELD, 1}, {KS_ERR_DUPLICATE_KEY, 1}}));
  int32_t count = 0;
  const KSErrorRecord* records = KSGetLastErrors(t, &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(records[0].recordID, 3);
  EXPECT_EQ(records[0].fieldIndex, 0);
  EXPECT_EQ(N(KSFormatError(session_, &records[0], 1)),
            "a required field has no value (record 3 of class Item, field name)");
  EXPECT_EQ(Text(t, 4, u"name"), "Lamp") << "the changes are kept";
  EXPECT_EQ(Text(root_, 4, u"name"), "Table") << "and nothing was committed";

  ASSERT_EQ(SetText(t, 3, u"name", u"Chair"), KS_OK);
  ASSERT_EQ(SetText(t, 4, u"name", u"Table"), KS_OK);
  ASSERT_EQ(SetInt(t, 3, u"supplierP", KS_TYPE_REFERENCE, 77), KS_OK);  // missing record
  ASSERT_EQ(SetInt(t, 4, u"supplierP", KS_TYPE_REFERENCE, 6), KS_OK);   // a tag
  EXPECT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_ERR_COMMIT_ERRORS);
  EXPECT_EQ(Errors(t), (Found{{KS_ERR_DANGLING_REFERENCE, 1}, {KS_ERR_WRONG_CLASS, 1}}));

  ASSERT_EQ(SetInt(t, 3, u"supplierP", KS_TYPE_REFERENCE, 2), KS_OK);
  ASSERT_EQ(SetInt(t, 4, u"supplierP", KS_TYPE_REFERENCE, 2), KS_OK);
  ASSERT_EQ(SetText(t, 3, u"name", u"Rocking chair"), KS_OK);  // longer than 10
  ASSERT_EQ(SetInt(t, 4, u"kind", KS_TYPE_ENUMERATED, 9), KS_OK);
  EXPECT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_COMMITTED_WITH_WARNINGS);
  EXPECT_EQ(Errors(t), (Found{{KS_WARN_TEXT_TOO_LONG, 0}, {KS_WARN_NOT_IN_VALUE_LIST, 0}}));
  EXPECT_EQ(Text(root_, 3, u"name"), "Rocking chair");
  EXPECT_EQ(Int(root_, 4, u"supplierP"), 2);
  ASSERT_EQ(KSRollback(t), KS_OK);
  EXPECT_EQ(KSGetLastErrors(t, &count), nullptr);
  EXPECT_EQ(count, 0);
}

TEST_F(ApiObjectTest, ACommitChecksDeletionsAndProtectionAgainstTheParentsNewState) {
  const KSHandle deleter = Start(root_);
  const KSHandle referrer = Start(root_);
  ASSERT_EQ(KSDestroyObject(KSGetObject(deleter, 2)), KS_OK);
  ASSERT_EQ(SetInt(referrer, 4, u"supplierP", KS_TYPE_REFERENCE, 2), KS_OK);
  ASSERT_EQ(KSCommit(referrer, 0, 0, nullptr, 0), KS_OK);
  EXPECT_EQ(KSCommit(deleter, 0, 0, nullptr, 0), KS_ERR_COMMIT_ERRORS);
  EXPECT_EQ(Errors(deleter), (Found{{KS_ERR_DELETE_REFERENCED, 1}}));

  const KSHandle changer = Start(root_);
  const KSHandle locker = Start(root_);
  ASSERT_EQ(SetInt(changer, 3, u"stock", KS_TYPE_INTEGER, 0), KS_OK);
  ASSERT_EQ(SetInt(locker, 3, u"locked", KS_TYPE_BOOLEAN, 1), KS_OK);
  ASSERT_EQ(KSCommit(locker, 0, 0, nullptr, 0), KS_OK);
  // The version changed too, so the conflict is what the commit reports first.
  EXPECT_EQ(KSCommit(changer, 0, 0, nullptr, 0), KS_ERR_COMMIT_CONFLICT);
}

// Collects events of a session; Wait blocks until `n` arrived or two seconds passed.
struct Events {
  struct Seen {
    int32_t kind;
    int32_t code;
    std::vector<KSField> values;
    std::vector<std::string> texts;
  };
  static void Callback(const KSEventRecord* event, void* self) {
    auto* e = static_cast<Events*>(self);
    Seen seen{event->kind, event->code, {}, {}};
    for (int32_t i = 0; i < event->valueCount; ++i) {
      seen.values.push_back(event->values[i]);
      seen.texts.push_back(event->values[i].type == KS_TYPE_STRING ? N(event->values[i].value.asString)
                                                                   : N(event->values[i].name));
    }
    std::lock_guard lock(e->mutex);
    e->seen.push_back(std::move(seen));
    e->arrived.notify_all();
  }
  std::vector<Seen> Wait(size_t n) {
    std::unique_lock lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(2), [&] { return seen.size() >= n; });
    return seen;
  }
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<Seen> seen;
};

TEST_F(ApiObjectTest, ACommitSendsClassTriggersAndTheRootTransactionNotice) {
  Events events;
  ASSERT_EQ(KSRegisterEventCallback(session_, Events::Callback, &events), KS_OK);
  ASSERT_EQ(KSSubscribeToTableTriggers(session_, u"Item", KS_TRIGGER_UPDATE | KS_TRIGGER_DELETE, 1),
            KS_OK);
  ASSERT_EQ(KSSubscribeToTableTriggers(session_, u"Supplier", KS_TRIGGER_INSERT, 0), KS_OK);
  const KSHandle t = Start(root_);
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 8), KS_OK);
  ASSERT_EQ(SetText(t, 1, u"name", u"Nordic AS"), KS_OK);  // an update: not subscribed
  ASSERT_EQ(SetText(t, 6, u"label", u"sale"), KS_OK);      // class not subscribed
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  const auto seen = events.Wait(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].kind, KS_EVENT_CLASS_TRIGGER);
  EXPECT_EQ(seen[0].code, KS_TRIGGER_UPDATE);
  EXPECT_EQ(seen[0].texts[0], "Item");
  EXPECT_EQ(seen[0].values[1].type, KS_TYPE_ID);
  EXPECT_EQ(seen[0].values[1].value.asInteger, 3);
  ASSERT_EQ(seen[0].values.size(), 2u + 6u) << "class, ID and the six stored fields";
  EXPECT_EQ(seen[0].texts[3], "stock");
  EXPECT_EQ(seen[0].values[3].value.asInteger, 8);
  EXPECT_EQ(seen[1].kind, KS_EVENT_SERVER_NOTICE);
  EXPECT_EQ(seen[1].code, KS_NOTICE_ROOT_TRANSACTION_CHANGED);
  EXPECT_EQ(seen[1].texts, std::vector<std::string>{"Root"});

  ASSERT_EQ(KSUnsubscribeToTableTriggers(session_, u"Item"), KS_OK);
  const KSHandle scenario = Start(root_, 0x100, "Plan");
  ASSERT_EQ(KSRollback(scenario), KS_OK);
  const auto after = events.Wait(3);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[2].code, KS_NOTICE_ROOT_TRANSACTION_REMOVED);
  EXPECT_EQ(after[2].texts, std::vector<std::string>{"Plan"});
  EXPECT_EQ(KSSubscribeToTableTriggers(session_, u"Item", 8, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSubscribeToTableTriggers(session_, u"Nothing", 1, 0), KS_ERR_NO_SUCH_CLASS);
  KSRegisterEventCallback(session_, nullptr, nullptr);
}

void RecordIgnored(int32_t, const char16_t*, KSBool, KSHandle) {}

TEST_F(ApiObjectTest, BadHandlesAndNullPointersAreRefusedAndChangeNothing) {
  const KSHandle t = Start(root_);
  const KSHandle object = KSGetObject(t, 3);
  const KSHandle stale = Start(root_);
  ASSERT_EQ(KSReleaseTransaction(stale), KS_OK);
  int32_t count = 5;
  KSField value{};
  const char16_t* name = u"stock";
  for (const KSHandle h : {KSHandle{0}, stale, session_, server_, object, KSHandle{0xFFFFFFFF}}) {
    EXPECT_EQ(KSStartTransaction(h, 0x800, u"x"), 0u);
    EXPECT_EQ(KSGetStartTransactionError(h), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSReleaseTransaction(h), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSRollback(h), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCommit(h, 0, 0, nullptr, 0), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCommit(h, 0, 0, RecordIgnored, 1), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSSetDescription(h, u"d"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetLastErrors(h, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSLockDatabase(h, 0, 1), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSLockTable(h, 0, 1, u"Item"), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSCreateNewLink(h, 6, u"taggedPV", 3), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSDestroyLink(h, 6, u"taggedPV", 3), KS_ERR_INVALID_HANDLE);
    count = 5;
    EXPECT_EQ(KSDestroyAll(h, u"Tag", 0, &count), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSGetObject(h, 3), 0u);
    EXPECT_EQ(KSTransactionSetUserData(h, &count), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSTransactionGetUserData(h), nullptr);
    if (h == object) continue;
    EXPECT_EQ(KSGetObjectTable(h), nullptr);
    EXPECT_EQ(KSReleaseObject(h), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSDestroyObject(h), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSGetValues(h, &name, 1, &value), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSSetValues(h, &value, 1), KS_ERR_INVALID_HANDLE);
    if (h == session_) continue;
    EXPECT_EQ(KSFindTransaction(h, u"Root"), 0u);
    EXPECT_EQ(KSSubscribeToTableTriggers(h, u"Item", 1, 0), KS_ERR_INVALID_HANDLE);
    EXPECT_EQ(KSUnsubscribeToTableTriggers(h, u"Item"), KS_ERR_INVALID_HANDLE);
  }
  EXPECT_EQ(KSGetValues(object, nullptr, 1, &value), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSGetValues(object, &name, 1, nullptr), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSGetValues(object, &name, -1, &value), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSetValues(object, nullptr, 1), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSetValues(object, &value, 1), KS_ERR_INVALID_ARGUMENT) << "a value without name";
  EXPECT_EQ(KSGetLastErrors(t, nullptr), nullptr);
  EXPECT_EQ(KSFindTransaction(session_, nullptr), 0u);
  EXPECT_EQ(KSReleaseTransaction(root_), KS_ERR_INVALID_ARGUMENT) << "goes with its session";
  EXPECT_EQ(KSCommit(t, 2, 0, nullptr, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSCommit(t, 0, 1, nullptr, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSetDescription(t, u"plain"), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSLockDatabase(t, object, 1), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(Int(root_, 3, u"stock"), 5);

  ASSERT_EQ(KSReleaseSession(session_), KS_OK);
  EXPECT_EQ(KSGetObject(t, 3), 0u) << "the session's transactions went with it";
  EXPECT_EQ(KSGetValues(object, &name, 1, &value), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSGetRootTrn(session_), 0u);
  EXPECT_EQ(KSReleaseTransaction(root_), KS_ERR_INVALID_HANDLE);
}

}  // namespace
}  // namespace kestrel::test
