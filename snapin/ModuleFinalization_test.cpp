// The module's finalization when its host asks to unload it: the default
// connection of the data-set components goes then, and only then.
#include "snapin/ModuleFinalization.h"

#include <gtest/gtest.h>

#include "dataset/KRDataSet_CMP_Defaults.h"
#include "snapin/FactoryTestSupport.h"
#include "snapin/RegistryTestSupport.h"

namespace {

TEST(ModuleFinalization, AModuleThatMayGoDropsTheDefaultsAndOneInUseKeepsThem) {
  TestRegistry registry;
  TComServer server(TestLibrary());
  const ComPtr<IKRServer> before = GetDefaultServer();

  server.CountObject(true);
  EXPECT_EQ(CanUnloadModule(server), S_FALSE);
  EXPECT_EQ(GetDefaultServer().Get(), before.Get());
  ASSERT_EQ(server.LockServer(true), S_OK);
  server.CountObject(false);
  EXPECT_EQ(CanUnloadModule(server), S_FALSE);
  EXPECT_EQ(GetDefaultServer().Get(), before.Get());

  ASSERT_EQ(server.LockServer(false), S_OK);
  EXPECT_EQ(CanUnloadModule(server), S_OK);
  // `before` is still held, so a new default cannot reuse its address.
  const ComPtr<IKRServer> after = GetDefaultServer();
  EXPECT_NE(after.Get(), before.Get());
  // Made again from the registry the first one wrote.
  EXPECT_EQ(after->Get_ServerName(), before->Get_ServerName());
  ReleaseDefaultProxies();
}

}  // namespace
