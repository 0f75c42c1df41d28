// The count of open handles: each handle a client obtains counts until it is released.
#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

class ApiHandlesTest : public ApiTest {};

TEST_F(ApiHandlesTest, EveryHandleCountsUntilItIsReleased) {
  const int32_t before = KSGetOpenHandleCount();
  ASSERT_NE(Connect(), 0u);
  EXPECT_EQ(KSGetOpenHandleCount(), before + 1);
  const KSHandle meta = Meta("Sales", "1.0");
  ASSERT_NE(meta, 0u);
  EXPECT_EQ(Meta("Sales", "1.0"), meta) << "one meta handle per connection and schema";
  EXPECT_EQ(KSGetOpenHandleCount(), before + 2);
  ASSERT_EQ(CreateDb("Shop"), KS_OK);

  const KSHandle session = Logon("Shop");
  ASSERT_NE(session, 0u);
  EXPECT_EQ(KSGetOpenHandleCount(), before + 4) << "the session and its root transaction";
  EXPECT_EQ(Logon("Shop", "system", "wrong"), 0u);
  EXPECT_EQ(KSGetOpenHandleCount(), before + 4) << "a failed logon opens nothing";
  EXPECT_EQ(KSReleaseSession(session), KS_OK);
  EXPECT_EQ(KSGetOpenHandleCount(), before + 2);
  EXPECT_EQ(KSReleaseSession(session), KS_ERR_INVALID_HANDLE);

  // Releasing the connection releases its metas with it.
  EXPECT_EQ(KSDisconnectServer(server_), KS_OK);
  EXPECT_EQ(KSGetOpenHandleCount(), before);
}

}  // namespace
}  // namespace kestrel::test
