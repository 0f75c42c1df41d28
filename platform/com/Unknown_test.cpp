#include "platform/com/Unknown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"

namespace {

constexpr IID IID_IAnimal = GuidLiteral("11111111-0000-0000-0000-000000000001");
constexpr IID IID_IDog = GuidLiteral("11111111-0000-0000-0000-000000000002");
constexpr IID IID_IOwner = GuidLiteral("11111111-0000-0000-0000-000000000003");
constexpr IID IID_IOther = GuidLiteral("11111111-0000-0000-0000-000000000004");

struct IAnimal : IUnknown {
  static constexpr const IID& kIID = IID_IAnimal;
  virtual int Legs() = 0;
};

struct IDog : IAnimal {
  static constexpr const IID& kIID = IID_IDog;
  using BaseInterface = IAnimal;
  virtual const char* Bark() = 0;
};

struct IOwner : IUnknown {
  static constexpr const IID& kIID = IID_IOwner;
  virtual const char* Name() = 0;
};

struct IOther : IUnknown {
  static constexpr const IID& kIID = IID_IOther;
};

// Counts its destructions in a caller's counter.
class Dog final : public ComObject<IDog, IOwner> {
 public:
  explicit Dog(std::atomic<int>& destroyed) : destroyed_(destroyed) {}
  ~Dog() override { destroyed_.fetch_add(1); }
  int Legs() override { return 4; }
  const char* Bark() override { return "woof"; }
  const char* Name() override { return "owner"; }

 private:
  std::atomic<int>& destroyed_;
};

// Takes and drops references to itself while it is being destroyed.
class SelfReferencing final : public ComObject<IOther> {
 public:
  explicit SelfReferencing(std::atomic<int>& destroyed) : destroyed_(destroyed) {}
  ~SelfReferencing() override {
    ComPtr<IOther> self(this);
    destroyed_.fetch_add(1);
  }

 private:
  std::atomic<int>& destroyed_;
};

TEST(ComObject, AnswersEveryInterfaceOfTheChainAndTheList) {
  std::atomic<int> destroyed{0};
  {
    ComPtr<IDog> dog = MakeComObject<Dog>(destroyed);
    EXPECT_STREQ(dog->Bark(), "woof");

    ComPtr<IAnimal> animal = dog.As<IAnimal>();
    ASSERT_TRUE(animal);
    EXPECT_EQ(animal->Legs(), 4);

    ComPtr<IOwner> owner;
    EXPECT_EQ(animal.As(owner), S_OK);
    EXPECT_STREQ(owner->Name(), "owner");

    ComPtr<IOther> other;
    EXPECT_EQ(owner.As(other), E_NOINTERFACE);
    EXPECT_FALSE(other);

    EXPECT_TRUE(IsSameObject(owner.Get(), animal.Get()));
    EXPECT_EQ(dog.As<IUnknown>(), owner.As<IUnknown>());
    EXPECT_EQ(dog->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  }
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(ComObject, FailedQueryInterfaceNullsTheOutputAndKeepsTheCount) {
  std::atomic<int> destroyed{0};
  auto* dog = new Dog(destroyed);
  EXPECT_EQ(dog->AddRef(), 1u);
  void* out = dog;
  EXPECT_EQ(dog->QueryInterface(IID_IOther, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(dog->QueryInterface(IID_IOwner, &out), S_OK);
  EXPECT_EQ(out, static_cast<IOwner*>(dog));
  EXPECT_EQ(static_cast<IOwner*>(out)->Release(), 1u);
  EXPECT_EQ(destroyed.load(), 0);
  EXPECT_EQ(dog->Release(), 0u);
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(ComObject, DestructorTakingReferencesDeletesOnce) {
  std::atomic<int> destroyed{0};
  { ComPtr<IOther> p = MakeComObject<SelfReferencing>(destroyed); }
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(ComObject, ConcurrentReferencesReachZeroOnce) {
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> destroyed{0};
    ComPtr<IDog> dog = MakeComObject<Dog>(destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      ComPtr<IDog> mine = dog;  // each thread owns one reference it drops at the end
      threads.emplace_back([mine = std::move(mine)]() mutable {
        for (int i = 0; i < 2000; ++i) {
          ComPtr<IOwner> owner = mine.As<IOwner>();
          ComPtr<IDog> copy = mine;
        }
        mine.Reset();
      });
    }
    dog.Reset();
    for (auto& t : threads) t.join();
    EXPECT_EQ(destroyed.load(), 1) << "round " << round;
  }
}

TEST(ComPtr, OwnershipTransfers) {
  std::atomic<int> destroyed{0};
  auto* raw = new Dog(destroyed);
  raw->AddRef();  // a reference owned by the caller, as an out-parameter gives it

  ComPtr<IDog> attached;
  attached.Attach(raw);  // takes that reference over
  ComPtr<IDog> copy = attached;
  EXPECT_EQ(raw->AddRef(), 3u);
  raw->Release();

  IDog* out = nullptr;
  EXPECT_EQ(copy.CopyTo(&out), S_OK);
  EXPECT_EQ(out, raw);
  out->Release();
  EXPECT_EQ(copy.CopyTo(static_cast<IDog**>(nullptr)), E_POINTER);

  IDog* detached = copy.Detach();
  EXPECT_FALSE(copy);
  EXPECT_EQ(detached->Release(), 1u);

  ComPtr<IDog> moved = std::move(attached);
  EXPECT_FALSE(attached);
  EXPECT_EQ(destroyed.load(), 0);
  moved = nullptr;
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(ComPtr, ReleaseAndGetAddressOfDropsTheOldReference) {
  std::atomic<int> first{0};
  std::atomic<int> second{0};
  ComPtr<IDog> p = MakeComObject<Dog>(first);
  ComPtr<IDog> other = MakeComObject<Dog>(second);
  EXPECT_EQ(other->QueryInterface(IID_IDog, p.ReleaseAndGetVoidAddress()), S_OK);
  EXPECT_EQ(first.load(), 1);
  EXPECT_EQ(p, other);
  other.Reset();
  EXPECT_EQ(second.load(), 0);
  p.Reset();
  EXPECT_EQ(second.load(), 1);
}

TEST(ComPtr, EmptyPointerQueries) {
  ComPtr<IDog> empty;
  ComPtr<IOwner> owner;
  EXPECT_EQ(empty.As(owner), E_POINTER);
  EXPECT_FALSE(empty.As<IOwner>());
  void* out = &owner;
  EXPECT_EQ(empty.CopyTo(IID_IOwner, &out), E_POINTER);
  EXPECT_EQ(out, nullptr);
}

// A factory that creates dogs, to check the interface shape end to end.
class DogFactory final : public ComObject<IClassFactory> {
 public:
  explicit DogFactory(std::atomic<int>& destroyed) : destroyed_(destroyed) {}
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return ComPtr<IDog>(new Dog(destroyed_)).CopyTo(iid, object);
  }
  HRESULT LockServer(BOOL lock) override {
    locks += lock ? 1 : -1;
    return S_OK;
  }
  int locks = 0;

 private:
  std::atomic<int>& destroyed_;
};

TEST(ClassFactory, CreatesByInterfaceAndRefusesUnknownOnes) {
  std::atomic<int> destroyed{0};
  ComPtr<IClassFactory> factory = MakeComObject<DogFactory>(destroyed);
  ComPtr<IOwner> owner;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOwner, owner.ReleaseAndGetVoidAddress()), S_OK);
  EXPECT_STREQ(owner->Name(), "owner");
  ComPtr<IOther> other;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOther, other.ReleaseAndGetVoidAddress()),
            E_NOINTERFACE);
  EXPECT_EQ(destroyed.load(), 1);  // the refused instance did not leak
  EXPECT_EQ(factory->CreateInstance(owner.Get(), IID_IOwner, other.ReleaseAndGetVoidAddress()),
            CLASS_E_NOAGGREGATION);
  EXPECT_TRUE(factory.As<IUnknown>());
}

}  // namespace
