#include "objectmodel/KRThreadSafeInterface_CO.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "objectmodel/KRGlobalInterfaceTable_CO.h"
#include "platform/com/OleErrors.h"

namespace {

constexpr IID IID_IProbe = GuidLiteral("5A1E0C11-2B3D-4E5F-8091-A2B3C4D5E6F7");
constexpr IID IID_IOther = GuidLiteral("5A1E0C12-2B3D-4E5F-8091-A2B3C4D5E6F7");

struct IProbe : IUnknown {
  static constexpr const IID& kIID = IID_IProbe;
  virtual int Value() = 0;
};
struct IOther : IUnknown {
  static constexpr const IID& kIID = IID_IOther;
};

class TProbe final : public ComObject<IProbe> {
 public:
  TProbe(int value, int& destroyed) : FValue(value), FDestroyed(destroyed) {}
  ~TProbe() override { ++FDestroyed; }
  int Value() override { return FValue; }

 private:
  int FValue;
  int& FDestroyed;
};

// Runs `body` on a thread of its own and waits for it.
void OnAnotherThread(const std::function<void()>& body) {
  std::thread thread(body);
  thread.join();
}

TEST(ThreadSafeInterface, WithoutAnInterfaceAnswersNoneOnEveryThread) {
  const TKRThreadSafeInterface wrapper(nullptr, IID_IProbe);
  EXPECT_FALSE(wrapper.IsRegistered());
  EXPECT_EQ(wrapper.Cookie(), TKRThreadSafeInterface::kNotRegistered);
  EXPECT_EQ(wrapper.GetThreadSafeInterface(), nullptr);
  bool none = false;
  OnAnotherThread([&] { none = wrapper.GetThreadSafeInterface<IProbe>() == nullptr; });
  EXPECT_TRUE(none);
}

TEST(ThreadSafeInterface, ARegisteredInterfaceReachesOtherThreadsThroughTheTable) {
  int destroyed = 0;
  DWORD cookie = 0;
  {
    ComPtr<IProbe> probe = MakeComObject<TProbe>(7, destroyed);
    const TKRThreadSafeInterface wrapper(probe);
    ASSERT_TRUE(wrapper.IsRegistered());
    cookie = wrapper.Cookie();
    EXPECT_EQ(wrapper.InterfaceID(), IID_IProbe);
    EXPECT_EQ(wrapper.GetThreadSafeInterface<IProbe>(), probe);

    ComPtr<IProbe> fromOther;
    OnAnotherThread([&] { fromOther = wrapper.GetThreadSafeInterface<IProbe>(); });
    ASSERT_TRUE(fromOther);
    EXPECT_EQ(fromOther->Value(), 7);
    EXPECT_TRUE(IsSameObject(fromOther.Get(), probe.Get()));
    fromOther.Reset();
    probe.Reset();
    EXPECT_EQ(destroyed, 0);  // the wrapper and the table keep it
  }
  EXPECT_EQ(destroyed, 1);
  ComPtr<IUnknown> revoked;
  EXPECT_EQ(KRGlobalInterfaceTable().GetInterfaceFromGlobal(cookie, IID_IProbe,
                                                            revoked.ReleaseAndGetVoidAddress()),
            E_INVALIDARG);
}

TEST(ThreadSafeInterface, AFailedRegistrationServesOnlyTheCreatingThread) {
  int destroyed = 0;
  {
    // The object does not answer IOther, so the table refuses it.
    ComPtr<IProbe> probe = MakeComObject<TProbe>(3, destroyed);
    const TKRThreadSafeInterface wrapper(probe.Get(), IID_IOther);
    EXPECT_FALSE(wrapper.IsRegistered());
    EXPECT_EQ(wrapper.GetThreadSafeInterface().Get(), static_cast<IUnknown*>(probe.Get()));
    probe.Reset();
    EXPECT_EQ(destroyed, 0);  // the wrapper's own reference

    std::string message;
    OnAnotherThread([&] {
      try {
        wrapper.GetThreadSafeInterface();
      } catch (const EKRThreadSafeInterfaceError& e) {
        message = e.Message();
      }
    });
    EXPECT_EQ(message,
              "accessing an interface which failed to be registered in the GIT, IID: "
              "{5A1E0C12-2B3D-4E5F-8091-A2B3C4D5E6F7}");
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(ThreadSafeInterface, RefusalsOfTheTableAndWrongTypesAreRaised) {
  int destroyed = 0;
  {
    ComPtr<IProbe> probe = MakeComObject<TProbe>(1, destroyed);
    const TKRThreadSafeInterface wrapper(probe);
    EXPECT_THROW(wrapper.GetThreadSafeInterface<IOther>(), EKRThreadSafeInterfaceError);

    // Revoked behind the wrapper's back: other threads get the table's
    // refusal, and the wrapper's own revocation later is dropped quietly.
    ASSERT_EQ(KRGlobalInterfaceTable().RevokeInterfaceFromGlobal(wrapper.Cookie()), S_OK);
    HRESULT refused = S_OK;
    OnAnotherThread([&] {
      try {
        wrapper.GetThreadSafeInterface();
      } catch (const EOleSysError& e) {
        refused = e.ErrorCode();
      }
    });
    EXPECT_EQ(refused, E_INVALIDARG);
    EXPECT_EQ(wrapper.GetThreadSafeInterface<IProbe>(), probe);
  }
  EXPECT_EQ(destroyed, 1);
}

}  // namespace
