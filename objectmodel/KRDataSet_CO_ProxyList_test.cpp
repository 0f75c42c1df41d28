#include <gtest/gtest.h>

#include <thread>

#include "objectmodel/KRDataSet_CO_TestProxies_test.h"

using namespace kr_test;

namespace {

class ProxyListTest : public ::testing::Test {
 protected:
  ComPtr<TTestProxy> NewProxy(const char16_t* name) {
    return MakeComObject<TTestProxy>(TTestLevel::Meta, name);
  }
  // The current reference count of a proxy.
  static uint32_t References(IKRProxy* proxy) {
    proxy->AddRef();
    return proxy->Release();
  }

  TTestAPI api;
  ComPtr<TKRProxyList> list = MakeComObject<TKRProxyList>();
};

TEST_F(ProxyListTest, EntriesAreFoundByIndexAndByID) {
  auto a = NewProxy(u"a");
  auto b = NewProxy(u"b");
  const auto self = std::this_thread::get_id();
  list->AddProxy(a.Get(), a->Get_UniqueID(), self);
  list->AddProxy(b.Get(), b->Get_UniqueID(), self);

  EXPECT_EQ(list->Get_Count(), 2);
  EXPECT_EQ(list->Get_Proxies(0).Get(), static_cast<IKRProxy*>(a.Get()));
  EXPECT_EQ(list->Get_Proxies(1).Get(), static_cast<IKRProxy*>(b.Get()));
  EXPECT_FALSE(list->Get_Proxies(2));
  EXPECT_FALSE(list->Get_Proxies(-1));
  EXPECT_EQ(list->Get_ProxiesByID(b->Get_UniqueID()).Get(), static_cast<IKRProxy*>(b.Get()));
  EXPECT_FALSE(list->Get_ProxiesByID(12345));
  EXPECT_TRUE(list->IsProxyInList(a.Get()));
  EXPECT_FALSE(list->IsProxyInList(nullptr));
  EXPECT_TRUE(list->IsProxyInListByID(a->Get_UniqueID()));

  list->RemoveProxy(a->Get_UniqueID());
  list->RemoveProxy(12345);
  EXPECT_EQ(list->Get_Count(), 1);
  EXPECT_FALSE(list->IsProxyInList(a.Get()));
  EXPECT_EQ(list->Get_Proxies(0).Get(), static_cast<IKRProxy*>(b.Get()));
  EXPECT_EQ(list->Get_UniqueID(),
            reinterpret_cast<intptr_t>(static_cast<IKRProxyList*>(list.Get())));
  // An uncounted entry must leave the list before its proxy goes.
  list->RemoveProxy(b->Get_UniqueID());
}

TEST_F(ProxyListTest, ADestroyedProxyLeavesTheListItWasRegisteredIn) {
  auto proxy = NewProxy(u"a");
  proxy->Set_ParentProxyList(list.Get());
  proxy.Reset();
  EXPECT_EQ(list->Get_Count(), 0);
}

TEST_F(ProxyListTest, UniqueIDsAreNullForAnEmptyListElseAnArrayInListOrder) {
  EXPECT_TRUE(list->Get_UniqueIDs().IsNull());

  auto a = NewProxy(u"a");
  auto b = NewProxy(u"b");
  a->Set_ParentProxyList(list.Get());
  b->Set_ParentProxyList(list.Get());
  const OleVariant ids = list->Get_UniqueIDs();
  ASSERT_TRUE(ids.IsArray());
  EXPECT_EQ(ids.LowBound(), 0);
  EXPECT_EQ(ids.HighBound(), 1);
  EXPECT_EQ(ids[0].AsInt64(), a->Get_UniqueID());
  EXPECT_EQ(ids[1].AsInt64(), b->Get_UniqueID());

  a->Set_ParentProxyList(nullptr);
  b->Set_ParentProxyList(nullptr);
  EXPECT_TRUE(list->Get_UniqueIDs().IsNull());
}

TEST_F(ProxyListTest, OnlyEntriesAddedFromAnotherThreadAreCounted) {
  auto proxy = NewProxy(u"a");
  const uint32_t alone = References(proxy.Get());

  proxy->Set_ParentProxyList(list.Get());
  EXPECT_EQ(References(proxy.Get()), alone);
  proxy->Set_ParentProxyList(nullptr);

  std::thread([&] { proxy->Set_ParentProxyList(list.Get()); }).join();
  EXPECT_EQ(References(proxy.Get()), alone + 1);
  EXPECT_EQ(list->Get_Proxies(0).Get(), static_cast<IKRProxy*>(proxy.Get()));

  list->RemoveProxy(proxy->Get_UniqueID());
  EXPECT_EQ(References(proxy.Get()), alone);
  EXPECT_EQ(list->Get_Count(), 0);
}

TEST_F(ProxyListTest, AForeignEntryKeepsItsProxyAlive) {
  const int before = TTestProxy::LiveCount();
  {
    auto proxy = NewProxy(u"a");
    std::thread([&] {
      list->AddProxy(proxy.Get(), proxy->Get_UniqueID(), std::this_thread::get_id());
    }).join();
  }
  EXPECT_EQ(TTestProxy::LiveCount(), before + 1);
  ComPtr<IKRProxy> kept = list->Get_Proxies(0);
  ASSERT_TRUE(kept);
  list->RemoveProxy(kept->Get_UniqueID());
  kept.Reset();
  EXPECT_EQ(TTestProxy::LiveCount(), before);
}

TEST_F(ProxyListTest, DisconnectReachesEveryProxyInOrder) {
  TTestTree tree;
  auto second = MakeComObject<TTestProxy>(TTestLevel::Meta, u"m2");
  second->SetOwner(tree.server.Get());
  tree.meta->Connect();
  second->Connect();
  api.ClearCalls();

  tree.server->Dependents()->Disconnect();

  EXPECT_EQ(api.Calls(), (std::vector<std::string>{"KSReleaseMeta(10)", "KSReleaseMeta(11)"}));
  EXPECT_TRUE(tree.server->Get_Connected());
}

TEST_F(ProxyListTest, DestroyingTheListDetachesTheProxiesLeftInIt) {
  TTestTree tree;
  tree.meta->Connect();
  list->AddProxy(tree.meta.Get(), tree.meta->Get_UniqueID(), std::this_thread::get_id());
  api.ClearCalls();

  list.Reset();

  EXPECT_FALSE(tree.meta->Get_Parent());
  EXPECT_FALSE(tree.meta->Get_Connected());
  EXPECT_EQ(api.Calls(), std::vector<std::string>{"KSReleaseMeta(10)"});
  EXPECT_EQ(tree.server->Dependents()->Get_Count(), 0);
}

TEST_F(ProxyListTest, AnIteratorOverAnEmptyListEndsAtOnce) {
  TKRProxyIterator iterator(list.Get());
  ComPtr<IKRProxy> proxy = NewProxy(u"stale");
  EXPECT_FALSE(iterator.Next(proxy));
  EXPECT_FALSE(proxy);

  TKRProxyIterator overNothing(nullptr);
  EXPECT_FALSE(overNothing.Next(proxy));
}

TEST_F(ProxyListTest, AnIteratorWalksItsSnapshotAndSkipsRemovedProxies) {
  auto a = NewProxy(u"a");
  auto b = NewProxy(u"b");
  auto c = NewProxy(u"c");
  for (TTestProxy* p : {a.Get(), b.Get(), c.Get()}) p->Set_ParentProxyList(list.Get());

  TKRProxyIterator iterator(list.Get());
  b->Set_ParentProxyList(nullptr);
  auto late = NewProxy(u"late");
  late->Set_ParentProxyList(list.Get());

  std::vector<intptr_t> seen;
  ComPtr<IKRProxy> proxy;
  while (iterator.Next(proxy)) seen.push_back(proxy->Get_UniqueID());
  EXPECT_EQ(seen, (std::vector<intptr_t>{a->Get_UniqueID(), c->Get_UniqueID()}));
  EXPECT_FALSE(proxy);
  EXPECT_FALSE(iterator.Next(proxy));
}

}  // namespace
