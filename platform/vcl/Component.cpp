#include "platform/vcl/Component.h"

#include <algorithm>

#include "platform/text/Locale.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

bool IsIdentStart(char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

template <class T>
void Erase(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

[[maybe_unused]] const bool kComponentRegistered = [] {
  RegisterComponentClass<TComponent>("TComponent");
  RegisterComponentClass<TDataModule>("TDataModule");
  return true;
}();

}  // namespace

bool IsValidIdent(std::string_view name) {
  if (name.empty() || !IsIdentStart(name.front())) return false;
  return std::all_of(name.begin(), name.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::GetPublishedProperties(TPublishedProperties& properties) {
  TPersistent::GetPublishedProperties(properties);
  properties.AddInt64(
      "Tag", [this] { return int64_t{tag_}; },
      [this](int64_t value) { tag_ = static_cast<intptr_t>(value); });
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) {
    throw EComponentError("'" + name + "' is not a valid component name");
  }
  if (owner_ != nullptr) {
    owner_->ValidateRename(this, name_, name);
  } else {
    ValidateRename(nullptr, name_, name);
  }
  name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string&,
                                const std::string& newName) {
  if (component == nullptr) return;
  const TComponent* other = FindComponent(newName);
  if (other != nullptr && other != component) {
    throw EComponentError("A component named " + newName + " already exists");
  }
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) ListIndexError(index);
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  const auto& list = owner_->components_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_) {
    if (SameText(component->name_, name)) return component;
  }
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_ == this) return;
  ValidateRename(component, std::string(), component->name_);
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  Insert(component);
  if (state_.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  Erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* component = components_.back();
    RemoveComponent(component);
    delete component;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* component : components_) component->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
  // A notified component may take others away from this owner: walk from
  // the end and stay within the list as it shrinks.
  for (size_t i = components_.size(); i > 0;) {
    --i;
    components_[i]->Notification(component, operation);
    if (i > components_.size()) i = components_.size();
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (owner_ == nullptr || component->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
      freeNotifies_.push_back(component);
      component->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  Unregister(component);
  component->Unregister(this);
}

void TComponent::Unregister(TComponent* component) {
  Erase(freeNotifies_, component);
  if (freeNotifies_.empty()) state_.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotifications() {
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    other->Unregister(this);
    other->Notification(this, opRemove);
  }
  state_.Exclude(csFreeNotification);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
  if (setChildren) {
    for (TComponent* component : components_) component->SetDesigning(value, true);
  }
}

void TComponent::GetChildren(const ChildProc&, TComponent*) {}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TDataModule::GetChildren(const ChildProc& proc, TComponent* root) {
  TComponent::GetChildren(proc, root);
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* component = Components(i);
    if (!component->HasParent()) proc(*component);
  }
}
