#include "platform/com/Clipboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/DataObject.h"
#include "platform/com/TaskMemory.h"

namespace {

TEST(ClipboardFormats, OneNumberPerName) {
  const UINT node = RegisterClipboardFormatA("KRTest_NODETYPE");
  const UINT display = RegisterClipboardFormatA("KRTest_DISPLAY_NAME");
  EXPECT_GE(node, 0xC000u);
  EXPECT_LE(node, 0xFFFFu);
  EXPECT_NE(node, display);
  EXPECT_EQ(RegisterClipboardFormatA("KRTest_NODETYPE"), node);
  EXPECT_EQ(RegisterClipboardFormatA("krtest_nodetype"), node);  // case does not matter
  EXPECT_EQ(RegisterClipboardFormatW(u"KRTest_NODETYPE"), node);
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  EXPECT_EQ(RegisterClipboardFormatA(nullptr), 0u);

  char name[64];
  EXPECT_EQ(GetClipboardFormatNameA(node, name, sizeof name), 15);
  EXPECT_STREQ(name, "KRTest_NODETYPE");  // the name as first registered
  EXPECT_EQ(GetClipboardFormatNameA(node, name, 4), 3);
  EXPECT_STREQ(name, "KRT");
  EXPECT_EQ(GetClipboardFormatNameA(1, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(0xFFFF, name, sizeof name), 0);
}

TEST(ClipboardFormats, ThreadsAgreeOnEveryNumber) {
  constexpr int kThreads = 4;
  constexpr int kNames = 50;
  std::vector<std::vector<UINT>> seen(kThreads, std::vector<UINT>(kNames));
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kNames; ++i) {
        // Each thread walks the names in a different order.
        const int n = (t % 2 == 0) ? i : kNames - 1 - i;
        seen[t][n] = RegisterClipboardFormatA(("KRThreaded_" + std::to_string(n)).c_str());
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  std::set<UINT> distinct;
  for (int n = 0; n < kNames; ++n) {
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t][n], seen[0][n]) << "name " << n;
    EXPECT_NE(seen[0][n], 0u);
    distinct.insert(seen[0][n]);
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kNames));
}

constexpr IID IID_IOwnerProbe = GuidLiteral("33333333-0000-0000-0000-000000000001");
struct IOwnerProbe : IUnknown {
  static constexpr const IID& kIID = IID_IOwnerProbe;
};
class Owner final : public ComObject<IOwnerProbe> {
 public:
  explicit Owner(bool& destroyed) : destroyed_(destroyed) {}
  ~Owner() override { destroyed_ = true; }

 private:
  bool& destroyed_;
};

TEST(StgMedium, ReleaseFreesWhatTheMediumHolds) {
  STGMEDIUM global{};
  global.tymed = TYMED_HGLOBAL;
  global.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
  HGLOBAL block = global.hGlobal;
  ReleaseStgMedium(&global);
  EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
  EXPECT_EQ(global.tymed, TYMED_NULL);

  STGMEDIUM stream{};
  stream.tymed = TYMED_ISTREAM;
  stream.pstm = CreateMemoryStream().Detach();
  ReleaseStgMedium(&stream);  // the stream's only reference: LeakSanitizer checks it
  EXPECT_EQ(stream.pstm, nullptr);

  STGMEDIUM file{};
  file.tymed = TYMED_FILE;
  file.lpszFileName = CoTaskMemStrDup(u"/tmp/x");
  ReleaseStgMedium(&file);

  // With an owner, only the owner is released: the block stays alive.
  bool ownerGone = false;
  STGMEDIUM owned{};
  owned.tymed = TYMED_HGLOBAL;
  owned.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
  block = owned.hGlobal;
  owned.pUnkForRelease = MakeComObject<Owner>(ownerGone).Detach();
  ReleaseStgMedium(&owned);
  EXPECT_TRUE(ownerGone);
  EXPECT_EQ(GlobalSize(block), 4u);
  GlobalFree(block);
  ReleaseStgMedium(nullptr);
}

TEST(StgMedium, LayoutKeepsMemberOrder) {
  // FORMATETC and STGMEDIUM hold pointers, so only their member order is fixed.
  EXPECT_LT(offsetof(FORMATETC, cfFormat), offsetof(FORMATETC, ptd));
  EXPECT_LT(offsetof(FORMATETC, ptd), offsetof(FORMATETC, dwAspect));
  EXPECT_LT(offsetof(FORMATETC, lindex), offsetof(FORMATETC, tymed));
  EXPECT_LT(offsetof(STGMEDIUM, tymed), offsetof(STGMEDIUM, hGlobal));
  EXPECT_EQ(offsetof(STGMEDIUM, hGlobal), offsetof(STGMEDIUM, pstm));
  EXPECT_LT(offsetof(STGMEDIUM, pstm), offsetof(STGMEDIUM, pUnkForRelease));
}

}  // namespace
