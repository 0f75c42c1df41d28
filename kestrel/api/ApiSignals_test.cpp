// Signals through the C functions: definitions, instantiation with argument values, evaluation
// on demand and by the signal thread, the events, and the instances' life with their session.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using namespace std::chrono_literals;

KSArgumentValue Single(int32_t type, int32_t value) {
  KSArgumentValue v{};
  v.valueType = type;
  v.single.asInteger = value;
  v.elementType = type;
  return v;
}

KSArgumentValue TextValue(const char16_t* text) {
  KSArgumentValue v = Single(KS_TYPE_STRING, 0);
  v.single.asString = text;
  return v;
}

KSArgumentValue Absent() { return Single(KS_TYPE_ABSENT, 0); }

KSArgumentValue Array(int32_t elementType, const std::vector<KSArgumentElement>& elements) {
  KSArgumentValue v{};
  v.isArray = 1;
  v.elementType = elementType;
  v.elements = elements.data();
  v.elementCount = static_cast<int32_t>(elements.size());
  return v;
}

// Records the signal notices sent to a session: (code, the integer of values[0]).
class Notices {
 public:
  explicit Notices(KSHandle session) : session_(session) {
    EXPECT_EQ(KSRegisterEventCallback(session, Callback, this), KS_OK);
  }
  ~Notices() { KSRegisterEventCallback(session_, nullptr, nullptr); }

  // Waits until `n` notices arrived or `patience` passed.
  std::vector<std::pair<int32_t, int32_t>> Wait(size_t n, std::chrono::milliseconds patience = 2s) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, patience, [&] { return seen_.size() >= n; });
    return seen_;
  }

 private:
  static void Callback(const KSEventRecord* event, void* self) {
    auto* n = static_cast<Notices*>(self);
    if (event->kind != KS_EVENT_SERVER_NOTICE || event->valueCount != 1 ||
        event->values[0].type != KS_TYPE_INTEGER)
      return;
    std::lock_guard lock(n->mutex_);
    n->seen_.emplace_back(event->code, event->values[0].value.asInteger);
    n->arrived_.notify_all();
  }

  KSHandle session_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::pair<int32_t, int32_t>> seen_;
};

class ApiSignalTest : public ShopTest {
 protected:
  KSHandle LowStock(int32_t limit, int32_t interval = 900) {
    const KSArgumentValue value = Single(KS_TYPE_INTEGER, limit);
    return KSInstanciateSignal(session_, u"LowStock", &value, 1, interval, 0);
  }
  KSHandle Supplied(const std::vector<KSArgumentElement>& suppliers, KSArgumentValue pattern) {
    const KSArgumentValue values[] = {Array(KS_TYPE_ID, suppliers), pattern};
    return KSInstanciateSignal(session_, u"Supplied", values, 2, 900, 0);
  }
  // Whether the signal is raised after an evaluation now.
  bool RaisedNow(KSHandle signal) {
    EXPECT_EQ(KSEvaluateSignalNow(signal), KS_OK);
    return KSIsSignalRaised(signal) != 0;
  }
};

TEST_F(ApiSignalTest, DescribesArgumentsOfTheSchemasDefinitions) {
  int32_t count = -1;
  const KSSignalArgInfo* info = KSGetSignalArgsInfo(session_, u"Supplied", &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(N(info[0].description), "Suppliers");
  EXPECT_EQ(info[0].type, KS_TYPE_LINKS);
  EXPECT_EQ(info[0].isArray, 1) << "record IDs always come as an array";
  EXPECT_EQ(N(info[1].description), "Names left out");
  EXPECT_EQ(info[1].isArray, 0);
  EXPECT_EQ(KSGetSignalArgsInfo(session_, u"Sold", &count), nullptr);
  EXPECT_EQ(count, 0);
  count = 7;
  EXPECT_EQ(KSGetSignalArgsInfo(session_, u"lowstock", &count), nullptr) << "names match exactly";
  EXPECT_EQ(count, 0);
}

TEST_F(ApiSignalTest, RefusesValuesThatDoNotFitTheDefinition) {
  const auto refused = [](KSHandle h) { return h == 0 ? KSGetLastSignalError() : KS_OK; };
  const KSArgumentValue limit = Single(KS_TYPE_INTEGER, 3);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"Nothing", &limit, 1, 900, 0)),
            KS_ERR_NO_SUCH_SIGNAL);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", &limit, 0, 900, 0)),
            KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", nullptr, 1, 900, 0)),
            KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", &limit, 1, 0, 0)),
            KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", &limit, 1, 900, 1)),
            KS_ERR_INVALID_ARGUMENT);
  const KSArgumentValue text = TextValue(u"3");
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", &text, 1, 900, 0)),
            KS_ERR_INVALID_ARGUMENT);
  const std::vector<KSArgumentElement> one{{1}};
  const KSArgumentValue array = Array(KS_TYPE_INTEGER, one);
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"LowStock", &array, 1, 900, 0)),
            KS_ERR_INVALID_ARGUMENT);
  KSArgumentValue broken = Array(KS_TYPE_ID, one);
  broken.elements = nullptr;
  const KSArgumentValue values[] = {broken, TextValue(u"x")};
  EXPECT_EQ(refused(KSInstanciateSignal(session_, u"Supplied", values, 2, 900, 0)),
            KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(refused(KSInstanciateSignal(0, u"LowStock", &limit, 1, 900, 0)), KS_ERR_INVALID_HANDLE);
  int32_t count = 3;
  EXPECT_EQ(KSGetInstanciatedSignals(session_, &count, 0), nullptr) << "nothing was instantiated";
  EXPECT_EQ(count, 0);

  const KSHandle made = LowStock(3);
  ASSERT_NE(made, 0u);
  EXPECT_EQ(KSGetLastSignalError(), KS_OK);
}

TEST_F(ApiSignalTest, AnInstanceStartsQuietAndAnswersItsSettings) {
  const KSHandle a = LowStock(3, 60);
  const KSHandle b = LowStock(1);
  ASSERT_NE(b, 0u);
  EXPECT_NE(KSGetSignalID(a), KSGetSignalID(b));
  EXPECT_EQ(N(KSGetSignalName(a)), "LowStock");
  EXPECT_EQ(KSGetSignalCheckInterval(a), 60);
  EXPECT_EQ(KSIsSignalRaised(a), 0) << "not evaluated yet";
  EXPECT_EQ(KSDoesSignalSendEvent(a), 0);
  EXPECT_EQ(KSIsSignalSuspended(a), 0);
  int32_t count = 0;
  const KSHandle* listed = KSGetInstanciatedSignals(session_, &count, 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(listed[0], a);
  EXPECT_EQ(listed[1], b);

  EXPECT_EQ(KSSetSignalCheckInterval(a, 0), KS_ERR_INVALID_ARGUMENT);
  EXPECT_EQ(KSSetSignalCheckInterval(a, 5), KS_OK);
  EXPECT_EQ(KSGetSignalCheckInterval(a), 5);
  EXPECT_EQ(KSSuspendSignal(a), KS_OK);
  EXPECT_EQ(KSEvaluateSignalNow(a), KS_ERR_SIGNAL_SUSPENDED);
  EXPECT_EQ(KSResumeSignal(a), KS_OK);
  EXPECT_EQ(KSIsSignalSuspended(a), 0);
  EXPECT_EQ(KSEvaluateSignalNow(a), KS_OK);

  const KSField* fields = KSGetSignalArguments(a, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(N(fields[0].name), "limit");
  EXPECT_EQ(fields[0].type, KS_TYPE_INTEGER);
  EXPECT_EQ(fields[0].value.asInteger, 3);
}

TEST_F(ApiSignalTest, EvaluationSeesCommittedDataOnlyAndSendsRaisedThenChanged) {
  Notices notices(session_);
  const KSHandle signal = LowStock(3);
  ASSERT_NE(signal, 0u);
  const int32_t id = KSGetSignalID(signal);
  EXPECT_TRUE(RaisedNow(signal)) << "the table's stock of 2 is below 3";
  EXPECT_TRUE(notices.Wait(1, 200ms).empty()) << "events are off at instantiation";

  ASSERT_EQ(KSSetSignalSendEvent(signal, 1), KS_OK);
  const KSHandle t = Start(root_);
  ASSERT_EQ(SetInt(t, 4, u"stock", KS_TYPE_INTEGER, 9), KS_OK);
  EXPECT_TRUE(RaisedNow(signal)) << "an uncommitted change is not seen";
  EXPECT_TRUE(notices.Wait(1, 200ms).empty()) << "nothing changed";
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 1), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_TRUE(RaisedNow(signal)) << "now the chair is low instead of the table";
  ASSERT_EQ(SetInt(t, 3, u"stock", KS_TYPE_INTEGER, 8), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_FALSE(RaisedNow(signal));
  ASSERT_EQ(SetInt(t, 4, u"stock", KS_TYPE_INTEGER, 0), KS_OK);
  ASSERT_EQ(KSCommit(t, 0, 0, nullptr, 0), KS_OK);
  EXPECT_TRUE(RaisedNow(signal));

  using Notice = std::pair<int32_t, int32_t>;
  EXPECT_EQ(notices.Wait(3), (std::vector<Notice>{{KS_NOTICE_SIGNAL_CHANGED, id},
                                                  {KS_NOTICE_SIGNAL_CHANGED, id},
                                                  {KS_NOTICE_SIGNAL_RAISED, id}}));
}

TEST_F(ApiSignalTest, ArgumentValuesShapeTheCondition) {
  EXPECT_FALSE(RaisedNow(LowStock(0)));
  const KSArgumentValue absent = Absent();
  const KSHandle noLimit = KSInstanciateSignal(session_, u"LowStock", &absent, 1, 900, 0);
  ASSERT_NE(noLimit, 0u);
  EXPECT_FALSE(RaisedNow(noLimit)) << "no limit compares as 0: no stock is below it";
  int32_t count = 0;
  const KSField* fields = KSGetSignalArguments(noLimit, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(fields[0].value.asInteger, 0) << "read as the type's null value";

  EXPECT_TRUE(RaisedNow(Supplied({{1}}, TextValue(u"^Z"))));
  EXPECT_FALSE(RaisedNow(Supplied({{2}}, TextValue(u"^Z")))) << "Alpine supplies nothing";
  EXPECT_FALSE(RaisedNow(Supplied({}, TextValue(u"^Z")))) << "an empty array holds no supplier";
  EXPECT_FALSE(RaisedNow(Supplied({{2}, {1}}, TextValue(u"^(Chair|Table)$"))));
  EXPECT_TRUE(RaisedNow(Supplied({{2}, {1}}, TextValue(u"^Chair$"))));
  const KSHandle supplied = Supplied({{2}, {1}}, Absent());
  EXPECT_FALSE(RaisedNow(supplied)) << "no pattern is the empty one, found in every name";
  fields = KSGetSignalArguments(supplied, &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(fields[0].type, KS_TYPE_LINKS);
  EXPECT_EQ(fields[0].value.asInteger, 2) << "an array reads as its number of elements";
  EXPECT_EQ(N(fields[1].name), "pattern");

  const KSHandle sold = KSInstanciateSignal(session_, u"Sold", nullptr, 0, 900, 0);
  EXPECT_TRUE(RaisedNow(sold)) << "Alpine has no items, so all of them have no stock";
}

TEST_F(ApiSignalTest, TheSignalThreadEvaluatesAtTheCheckInterval) {
  Notices notices(session_);
  const KSHandle suspended = LowStock(3, 1);
  ASSERT_EQ(KSSetSignalSendEvent(suspended, 1), KS_OK);
  ASSERT_EQ(KSSuspendSignal(suspended), KS_OK);
  const KSHandle slow = LowStock(3, 3600);
  ASSERT_EQ(KSSetSignalSendEvent(slow, 1), KS_OK);
  const KSHandle signal = LowStock(3, 60);
  ASSERT_EQ(KSSetSignalSendEvent(signal, 1), KS_OK);
  ASSERT_EQ(KSSetSignalCheckInterval(signal, 1), KS_OK) << "brings the next evaluation closer";

  const auto seen = notices.Wait(1, 5s);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::make_pair(int32_t{KS_NOTICE_SIGNAL_RAISED}, KSGetSignalID(signal)));
  EXPECT_EQ(KSIsSignalRaised(signal), 1);
  EXPECT_EQ(KSIsSignalRaised(suspended), 0) << "suspended instances are not evaluated";
  EXPECT_EQ(KSIsSignalRaised(slow), 0);
}

TEST_F(ApiSignalTest, InstancesDieWithTheirSessionAndDeletingNeedsItLive) {
  const KSHandle other = Logon("Shop", "system", "", "", "Shop", "1.0");
  const KSHandle mine = LowStock(3);
  const KSArgumentValue limit = Single(KS_TYPE_INTEGER, 3);
  const KSHandle theirs = KSInstanciateSignal(other, u"LowStock", &limit, 1, 900, 0);
  ASSERT_NE(theirs, 0u);
  int32_t count = 0;
  ASSERT_NE(KSGetInstanciatedSignals(other, &count, 0), nullptr);
  EXPECT_EQ(count, 1) << "a session sees its own instances only";

  const int32_t before = KSGetOpenHandleCount();
  ASSERT_EQ(KSReleaseSession(other), KS_OK);
  EXPECT_EQ(KSGetOpenHandleCount(), before - 3) << "the session, its root and its signal";
  EXPECT_EQ(KSGetSignalID(theirs), -1);
  EXPECT_EQ(KSReleaseSignal(theirs), KS_ERR_INVALID_HANDLE);

  const KSHandle deleted = LowStock(2);
  ASSERT_EQ(KSDeleteSignal(deleted), KS_OK);
  EXPECT_EQ(KSGetSignalID(deleted), -1);
  ASSERT_NE(KSGetInstanciatedSignals(session_, &count, 0), nullptr);
  EXPECT_EQ(count, 1);

  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK);
  EXPECT_EQ(KSDeleteSignal(mine), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_EQ(KSEvaluateSignalNow(mine), KS_ERR_NO_SUCH_DATABASE);
  EXPECT_NE(KSGetSignalID(mine), -1) << "a refused deletion keeps the instance";
  EXPECT_EQ(KSReleaseSignal(mine), KS_OK) << "releasing works offline";
}

}  // namespace
}  // namespace kestrel::test
