#include "platform/vcl/Component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Records what it hears and when it is destroyed.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::vector<std::string>* log, std::string label)
      : TComponent(owner), log_(log), label_(std::move(label)) {}
  ~Probe() override {
    log_->push_back(label_ + " destroyed" +
                    (ComponentState().Contains(csDestroying) ? " (destroying)" : ""));
  }
  void SetWatched(TComponent* watched) {
    watched_ = watched;
    if (watched != nullptr) watched->FreeNotification(this);
  }
  TComponent* Watched() const { return watched_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    const std::string what = component == this ? "self" : component->Name();
    log_->push_back(label_ + (operation == opInsert ? " +" : " -") + what);
    if (operation == opRemove && component == watched_) watched_ = nullptr;
  }

 private:
  std::vector<std::string>* log_;
  std::string label_;
  TComponent* watched_ = nullptr;
};

TEST(Component, OwnerDestroysItsComponentsLastFirstAndMarksThemDestroying) {
  std::vector<std::string> log;
  auto owner = std::make_unique<TComponent>(nullptr);
  new Probe(owner.get(), &log, "a");
  new Probe(owner.get(), &log, "b");
  EXPECT_EQ(log, (std::vector<std::string>{"a +"}));  // b's own part did not exist yet
  log.clear();
  owner.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"b -self", "a -", "b destroyed (destroying)",
                                           "a -self", "a destroyed (destroying)"}));
}

TEST(Component, DeletingAnOwnedComponentTakesItOutOfItsOwner) {
  std::vector<std::string> log;
  TComponent owner(nullptr);
  auto* a = new Probe(&owner, &log, "a");
  auto* b = new Probe(&owner, &log, "b");
  a->SetName("A");
  b->SetName("B");
  EXPECT_EQ(b->ComponentIndex(), 1);
  log.clear();
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(b->ComponentIndex(), 0);
  EXPECT_THROW(owner.Components(1), EListError);
  // a's own destructor ran without csDestroying (nobody marked it), then
  // b, its sibling, heard of its removal from their owner.
  EXPECT_EQ(log, (std::vector<std::string>{"a destroyed", "b -A"}));
}

TEST(Component, InsertingMovesAComponentAndTellsBothOwnersFamilies) {
  std::vector<std::string> log;
  TComponent first(nullptr);
  TComponent second(nullptr);
  auto* watcher = new Probe(&second, &log, "w");
  auto* moved = new Probe(&first, &log, "m");
  moved->SetName("M");
  log.clear();
  second.InsertComponent(moved);
  EXPECT_EQ(moved->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"m -self", "m +self", "w +M"}));
  (void)watcher;
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwnerWithoutRegardToCase) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Table1");
  EXPECT_THROW(b->SetName("TABLE1"), EComponentError);
  EXPECT_THROW(b->SetName("1Table"), EComponentError);
  EXPECT_THROW(b->SetName("Ta ble"), EComponentError);
  EXPECT_EQ(b->Name(), "");
  a->SetName("TABLE1");  // its own name in another case
  EXPECT_EQ(owner.FindComponent("table1"), a);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  b->SetName("_x9");
  EXPECT_EQ(owner.FindComponent("_X9"), b);
  // Without an owner any identifier will do.
  TComponent loose(nullptr);
  loose.SetName("Table1");
  EXPECT_EQ(loose.Name(), "Table1");
  // A component joining an owner must not bring a name already taken.
  auto* clash = new TComponent(nullptr);
  clash->SetName("Table1");
  EXPECT_THROW(owner.InsertComponent(clash), EComponentError);
  delete clash;
}

// Two owners (forms) whose components refer to each other.
class TwoForms : public testing::Test {
 protected:
  Probe* Add(TComponent& form, const char* label, const char* name) {
    auto* probe = new Probe(&form, &log, label);
    probe->SetName(name);
    return probe;
  }
  std::vector<std::string> log;
  std::unique_ptr<TComponent> formA = std::make_unique<TComponent>(nullptr);
  TComponent formB{nullptr};
};

TEST_F(TwoForms, FreeNotificationTellsAComponentOfAnotherOwnerItsReferenceIsGone) {
  Probe* source = Add(*formA, "s", "Source");
  Probe* user = Add(formB, "u", "User");
  user->SetWatched(source);
  EXPECT_TRUE(source->ComponentState().Contains(csFreeNotification));
  log.clear();
  delete source;
  EXPECT_EQ(user->Watched(), nullptr);
  EXPECT_NE(std::find(log.begin(), log.end(), "u -Source"), log.end());
}

TEST_F(TwoForms, FreeNotificationIsMutualAndCanBeWithdrawn) {
  Probe* a = Add(*formA, "a", "A");
  Probe* b = Add(formB, "b", "B");
  a->SetWatched(b);
  b->SetWatched(a);
  b->RemoveFreeNotification(a);
  EXPECT_FALSE(a->ComponentState().Contains(csFreeNotification));
  log.clear();
  delete b;
  EXPECT_EQ(a->Watched(), b);  // no longer told
  EXPECT_EQ(std::find(log.begin(), log.end(), "a -B"), log.end());
}

TEST_F(TwoForms, AComponentDestroyedFirstNotifiesThoseItWasRegisteredWith) {
  Probe* a = Add(*formA, "a", "A");
  Probe* b = Add(formB, "b", "B");
  a->SetWatched(b);
  formA.reset();  // a goes with its owner; b must not keep it registered
  log.clear();
  delete b;
  EXPECT_EQ(log, (std::vector<std::string>{"b destroyed"}));
}

TEST(Component, DesigningReachesOwnedComponents) {
  TComponent owner(nullptr);
  auto* child = new TComponent(&owner);
  owner.SetDesigning(true);
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
  auto* added = new TComponent(&owner);  // joining a designer's component
  EXPECT_TRUE(added->ComponentState().Contains(csDesigning));
  owner.SetDesigning(false, false);
  EXPECT_FALSE(owner.ComponentState().Contains(csDesigning));
  EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
}

TEST(Component, ValidIdentifiers) {
  EXPECT_TRUE(IsValidIdent("a"));
  EXPECT_TRUE(IsValidIdent("_1"));
  EXPECT_FALSE(IsValidIdent(""));
  EXPECT_FALSE(IsValidIdent("9"));
  EXPECT_FALSE(IsValidIdent("a.b"));
  EXPECT_FALSE(IsValidIdent("\xC3\xA4"));
}

}  // namespace
