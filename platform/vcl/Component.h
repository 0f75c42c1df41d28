#pragma once
// TComponent: an object with an owner, a name and a tag, that owns other
// components and is told when components it cares about go away.
//
// Ownership: a component created with an owner belongs to it; the owner
// destroys its components when it is destroyed. Deleting a component that
// has an owner is allowed and takes it out of its owner first. A component
// without an owner belongs to whoever created it (a std::unique_ptr).
//
// Notifications: Notification(component, operation) tells a component that
// `component` was inserted into or removed from an owner. It reaches the
// owner and, through the base implementation, every component the owner
// owns (an override calls its base). A component that keeps a reference to
// another one that is not its sibling calls FreeNotification on it, and then
// hears opRemove when that one is destroyed; the registration is mutual, and
// RemoveFreeNotification ends it. When opRemove arrives because a component
// is being destroyed, only its address may be used: its own class's part is
// already gone.
//
// Destruction order: Destroying() marks the component and everything it
// owns csDestroying; then the components that asked for free notification
// hear opRemove, the owned components are destroyed (last first), and the
// component leaves its owner. ~TComponent calls Destroying(); a class whose
// own destructor depends on csDestroying calls it first (as TDataSet does).
//
// Names: empty or an identifier (letters, digits, '_', not starting with a
// digit), unique among the owner's components without regard to case
// (EComponentError otherwise).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/Exception.h"
#include "platform/text/ListError.h"
#include "platform/vcl/Persistent.h"
#include "platform/vcl/Sets.h"

KR_DECLARE_EXCEPTION(EComponentError, Exception);

enum TComponentStateFlag {
  csLoading,       // being read from a stream; cleared by Loaded
  csReading,       // its properties are being read
  csWriting,       // it is being written
  csDestroying,
  csDesigning,     // in a designer (design-time behaviour)
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,  // it has asked for or been asked for free notification
  csInline,
  csDesignInstance,
};
using TComponentState = SetOf<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
 public:
  using ChildProc = std::function<void(TComponent&)>;

  // With an owner, the new component belongs to it.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  std::string_view ClassName() const override { return "TComponent"; }
  std::string GetNamePath() const override { return name_; }
  void GetPublishedProperties(TPublishedProperties& properties) override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }
  TComponentState ComponentState() const { return state_; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // The owned component at `index` (EListError outside 0..Count-1).
  TComponent* Components(int index) const;
  // This component's position among its owner's components (-1 without owner).
  int ComponentIndex() const;
  // The owned component of that name (without regard to case), or null.
  TComponent* FindComponent(std::string_view name) const;
  // Takes `component` from its present owner (if any) into this one; in a
  // designer the component is in the designer too.
  void InsertComponent(TComponent* component);
  // Gives up `component` (which must be owned by this one): it has no
  // owner afterwards.
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  void Destroying();

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Marks this component (and, with setChildren, what it owns) as in a
  // designer or not.
  void SetDesigning(bool value, bool setChildren = true);

  // Streaming hooks. GetChildren lists the components written after this
  // one's properties (none by default; `root` is the root being written).
  // A component whose parent is another component (a field of a data set)
  // answers HasParent and is written among its parent's children; when it
  // is read, SetParentComponent gives it that parent.
  virtual void GetChildren(const ChildProc& proc, TComponent* root);
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent);
  // Called once a stream's components are all read (and references set);
  // the base clears csLoading.
  virtual void Loaded();

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Refuses `newName` for `component` (owned by this one or joining it)
  // when another owned component already has it.
  virtual void ValidateRename(TComponent* component, const std::string& currentName,
                              const std::string& newName);

 private:
  friend class TReader;
  friend class TWriter;

  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void RemoveFreeNotifications();
  void Unregister(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  intptr_t tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;  // owned
  std::vector<TComponent*> freeNotifies_;
};

// True when `name` is an identifier (letters, digits and '_', not starting
// with a digit).
bool IsValidIdent(std::string_view name);

// TDataModule: a root that holds non-visual components (data sets, data
// sources, fields) and writes the ones without a parent as its children.
class TDataModule : public TComponent {
 public:
  using TComponent::TComponent;
  std::string_view ClassName() const override { return "TDataModule"; }
  void GetChildren(const ChildProc& proc, TComponent* root) override;
};
