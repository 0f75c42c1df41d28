// The signal functions of the next version answer "not supported" (or nothing) and never
// crash, whatever handles they are given.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using ApiUnsupportedTest = ApiTest;

TEST_F(ApiUnsupportedTest, SignalFunctionsAnswerNotSupported) {
  ASSERT_NE(Connect(), 0u);
  ASSERT_EQ(CreateDb("Shop"), KS_OK);
  const KSHandle session = Logon("Shop");
  int32_t count = 5;
  for (const KSHandle h : {KSHandle{0}, session, KSGetRootTrn(session), KSHandle{0xFFFFFFFF}}) {
    EXPECT_EQ(KSInstanciateSignal(h, u"LowCredit", nullptr, 0, 900, 0), 0u);
    count = 5;
    EXPECT_EQ(KSGetInstanciatedSignals(h, &count, 0), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(KSGetSignalArgsInfo(h, u"LowCredit", &count), nullptr);
    EXPECT_EQ(KSSuspendSignal(h), KS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(KSGetSignalID(h), -1);
  }
}

}  // namespace
}  // namespace kestrel::test
