#include "objectmodel/KRAPI_UNT.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "objectmodel/KRDataSet_CO_TestProxies_test.h"

namespace {

using kr_session_test::BuiltKestrelAPI;
using kr_session_test::kNoBuiltKestrel;

using Calls = std::vector<std::string>;

TEST(ScriptedAPITest, InstallingCallsUseWideStringsFirst) {
  TKRFakeAPI fake;
  EXPECT_EQ(&KRAPI(), &fake.Table());
  EXPECT_EQ(fake.Calls(), Calls{"KSUseWideStrings(1)"});
}

TEST(ScriptedAPITest, CallsAreRecordedAndAnswerWhatWasProgrammed) {
  TKRFakeAPI fake;
  fake.ClearCalls();
  EXPECT_EQ(KRAPI().KSConnectServer(u"host", nullptr), 0u);
  fake.On<TKRAPIFunction::KSConnectServer>([](const char16_t* host, const char16_t*) {
    return std::u16string(host) == u"localhost" ? KSHandle(7) : KSHandle(0);
  });
  EXPECT_EQ(KRAPI().KSConnectServer(u"localhost", u"Srv"), 7u);
  int32_t count = -1;
  EXPECT_EQ(KRAPI().KSGetAvailableMetas(7, &count), nullptr);
  KRAPI().KSShutdownDBEx(7, u"db", -3, 1);

  EXPECT_EQ(fake.Calls(),
            (Calls{R"(KSConnectServer("host", null))", R"(KSConnectServer("localhost", "Srv"))",
                   "KSGetAvailableMetas(7, ptr)", R"(KSShutdownDBEx(7, "db", -3, 1))"}));
  EXPECT_EQ(fake.CountOf(TKRAPIFunction::KSConnectServer), 2);
  EXPECT_EQ(fake.CallsOf(TKRAPIFunction::KSGetAvailableMetas),
            Calls{"KSGetAvailableMetas(7, ptr)"});
}

TEST(ScriptedAPITest, ATableThatRefusesWideStringsIsNotInstalled) {
  TKRFakeAPI outer;
  TKRAPITable refusing = outer.Table();
  refusing.KSUseWideStrings = [](KSBool) { return KSStatus(KS_ERR_NOT_SUPPORTED); };
  EXPECT_THROW(InstallAPITable(&refusing), EKRAPILoadError);
  EXPECT_EQ(&KRAPI(), &outer.Table());
}

TEST(ScriptedAPITest, InstallAnswersThePreviousTable) {
  TKRFakeAPI fake;
  TKRAPITable copy = fake.Table();
  EXPECT_EQ(InstallAPITable(&copy), &fake.Table());
  EXPECT_EQ(InstallAPITable(&fake.Table()), &copy);
}

// The loader's state lives for the process, so each case runs in a process
// of its own.
class LibraryLoadTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Loads the library in the child and exits with 0 on success, printing the
// failure's message otherwise.
[[noreturn]] void LoadAndExit() {
  try {
    KRAPI();
  } catch (const EKRAPILoadError& e) {
    fprintf(stderr, "%s\n", e.Message().c_str());
    std::exit(1);
  }
  std::exit(0);
}

// The library named in $KESTREL_API_LIBRARY is the only one tried: another
// copy the loader could find (beside the program, on its search path) never
// stands in for it.
TEST_F(LibraryLoadTest, AMissingLibraryIsReportedByName) {
  EXPECT_EXIT(
      {
        setenv("KESTREL_API_LIBRARY", "/nonexistent/libKestrelAPI.so", 1);
        LoadAndExit();
      },
      ::testing::ExitedWithCode(1),
      "libKestrelAPI.so could not be loaded:\n  /nonexistent/libKestrelAPI.so: [^\n]*\n$");
}

TEST_F(LibraryLoadTest, AMissingFunctionIsReportedByName) {
  EXPECT_EXIT(
      {
        setenv("KESTREL_API_LIBRARY", "libm.so.6", 1);
        LoadAndExit();
      },
      ::testing::ExitedWithCode(1), "libm.so.6 has no function KSUseWideStrings");
}

TEST_F(LibraryLoadTest, TheRealLibraryLoadsAndAnswers) {
  if (BuiltKestrelAPI().empty()) GTEST_SKIP() << kNoBuiltKestrel;
  EXPECT_EXIT(
      {
        setenv("KESTREL_API_LIBRARY", BuiltKestrelAPI().c_str(), 1);
        const std::u16string text(KRAPI().KSFormatMessage(0, KS_END_OF_TABLE, 0));
        std::exit(text.empty() ? 2 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(LibraryLoadTest, AProxyKeepsTheRealLibrarysConnectError) {
  if (BuiltKestrelAPI().empty()) GTEST_SKIP() << kNoBuiltKestrel;
  EXPECT_EXIT(
      {
        setenv("KESTREL_API_LIBRARY", BuiltKestrelAPI().c_str(), 1);
        auto server = MakeComObject<kr_test::TTestProxy>(kr_test::TTestLevel::Server, u"demo");
        const bool failedAsExpected =
            server->Get_Handle() == 0 && server->Get_LastError() == KS_ERR_HOST_NOT_REACHABLE;
        std::exit(failedAsExpected ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
