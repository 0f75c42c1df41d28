#include "platform/com/GlobalInterfaceTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr IID IID_IProbe = GuidLiteral("44444444-0000-0000-0000-000000000001");
constexpr IID IID_IAbsent = GuidLiteral("44444444-0000-0000-0000-000000000002");
struct IProbe : IUnknown {
  static constexpr const IID& kIID = IID_IProbe;
  virtual int Value() = 0;
};

class Probe final : public ComObject<IProbe> {
 public:
  Probe(int value, std::atomic<int>& destroyed) : value_(value), destroyed_(destroyed) {}
  ~Probe() override { ++destroyed_; }
  int Value() override { return value_; }

 private:
  int value_;
  std::atomic<int>& destroyed_;
};

TEST(GlobalInterfaceTable, KeepsTheObjectUntilRevoked) {
  ComPtr<IGlobalInterfaceTable> table = GetGlobalInterfaceTable();
  ASSERT_TRUE(table);
  EXPECT_EQ(table, GetGlobalInterfaceTable());
  std::atomic<int> destroyed{0};
  DWORD cookie = 0;
  {
    ComPtr<IProbe> probe = MakeComObject<Probe>(7, destroyed);
    ASSERT_EQ(table->RegisterInterfaceInGlobal(probe.Get(), IID_IProbe, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
  }
  EXPECT_EQ(destroyed.load(), 0);

  ComPtr<IProbe> back;
  ASSERT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IProbe, back.ReleaseAndGetVoidAddress()),
            S_OK);
  EXPECT_EQ(back->Value(), 7);
  ComPtr<IUnknown> absent;
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IAbsent, absent.ReleaseAndGetVoidAddress()),
            E_NOINTERFACE);

  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
  EXPECT_EQ(destroyed.load(), 0);  // `back` still holds it
  back.Reset();
  EXPECT_EQ(destroyed.load(), 1);
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IProbe, back.ReleaseAndGetVoidAddress()),
            E_INVALIDARG);
}

TEST(GlobalInterfaceTable, RefusesWhatItCannotHold) {
  ComPtr<IGlobalInterfaceTable> table = GetGlobalInterfaceTable();
  std::atomic<int> destroyed{0};
  {
    ComPtr<IProbe> probe = MakeComObject<Probe>(1, destroyed);
    DWORD cookie = 5;
    EXPECT_EQ(table->RegisterInterfaceInGlobal(probe.Get(), IID_IAbsent, &cookie), E_NOINTERFACE);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(table->RegisterInterfaceInGlobal(nullptr, IID_IProbe, &cookie), E_INVALIDARG);
    EXPECT_EQ(table->RegisterInterfaceInGlobal(probe.Get(), IID_IProbe, nullptr), E_INVALIDARG);
  }
  EXPECT_EQ(destroyed.load(), 1);  // nothing was kept
}

TEST(GlobalInterfaceTable, ThreadsRegisterGetAndRevoke) {
  ComPtr<IGlobalInterfaceTable> table = GetGlobalInterfaceTable();
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::atomic<int> destroyed{0};
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        DWORD cookie = 0;
        {
          ComPtr<IProbe> probe = MakeComObject<Probe>(t * 1000 + i, destroyed);
          if (table->RegisterInterfaceInGlobal(probe.Get(), IID_IProbe, &cookie) != S_OK) {
            ++failures;
          }
        }
        ComPtr<IProbe> back;
        if (table->GetInterfaceFromGlobal(cookie, IID_IProbe, back.ReleaseAndGetVoidAddress()) !=
                S_OK ||
            back->Value() != t * 1000 + i) {
          ++failures;
        }
        if (table->RevokeInterfaceFromGlobal(cookie) != S_OK) ++failures;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(destroyed.load(), kThreads * kRounds);  // distinct cookies, each revoked once
}

}  // namespace
