#include "platform/vcl/DataSource.h"

#include <algorithm>

#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/DBConsts.h"
#include "platform/vcl/DataLink.h"
#include "platform/vcl/DataSet.h"
#include "platform/vcl/PublishedProperties.h"

namespace {
[[maybe_unused]] const bool kDataSourceRegistered = [] {
  RegisterComponentClass<TDataSource>("TDataSource");
  return true;
}();
}  // namespace

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  Destroying();
  while (!dataLinks_.empty()) dataLinks_.back()->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::GetPublishedProperties(TPublishedProperties& properties) {
  TComponent::GetPublishedProperties(properties);
  properties.AddBoolean(
      "AutoEdit", [this] { return autoEdit_; }, [this](bool value) { autoEdit_ = value; }, true);
  properties.AddComponent(
      "DataSet", [this]() -> TComponent* { return dataSet_; },
      [this](TComponent* component) {
        auto* dataSet = dynamic_cast<TDataSet*>(component);
        if (component != nullptr && dataSet == nullptr) {
          DatabaseError(component->Name() + " is not a data set", this);
        }
        SetDataSet(dataSet);
      });
  properties.AddBoolean(
      "Enabled", [this] { return enabled_; }, [this](bool value) { SetEnabled(value); }, true);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet != nullptr && IsLinkedTo(dataSet)) DatabaseError(SCircularDataLink, this);
  if (dataSet_ != nullptr) {
    TDataSet* old = dataSet_;
    dataSet_ = nullptr;
    old->RemoveDataSource(this);
    old->RemoveFreeNotification(this);
  }
  if (dataSet != nullptr) {
    dataSet_ = dataSet;
    dataSet->FreeNotification(this);
    dataSet->AddDataSource(this);
  }
  UpdateState();
}

void TDataSource::DataSetDestroyed() {
  dataSet_ = nullptr;
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  enabled_ = value;
  UpdateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse) dataSet_->Edit();
}

bool AnyMasterSource(const TDataSet* dataSet, const std::function<bool(const TDataSource&)>& test) {
  while (dataSet != nullptr) {
    const TDataSource* source = dataSet->GetDataSource();
    if (source == nullptr) return false;
    if (test(*source)) return true;
    dataSet = source->DataSet();
  }
  return false;
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const {
  return AnyMasterSource(dataSet, [this](const TDataSource& source) { return &source == this; });
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) SetDataSet(nullptr);
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (state_ == dsInactive) return;
  for (size_t i = 0; i < dataLinks_.size(); ++i) dataLinks_[i]->DataEvent(event, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) {
        OnDataChange(*this, event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
      }
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(*this);
      break;
    default:
      break;
  }
}

void TDataSource::UpdateState() {
  SetState(enabled_ && dataSet_ != nullptr ? dataSet_->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState state) {
  if (state_ == state) return;
  const TDataSetState prior = state_;
  state_ = state;
  for (size_t i = 0; i < dataLinks_.size(); ++i) dataLinks_[i]->UpdateState();
  if (ComponentState().Contains(csDestroying)) return;
  if (OnStateChange) OnStateChange(*this);
  if (prior == dsInactive && OnDataChange) OnDataChange(*this, nullptr);
}

void TDataSource::AddDataLink(TDataLink* link) {
  dataLinks_.push_back(link);
  link->dataSource_ = this;
  if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  link->dataSource_ = nullptr;
  dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), link), dataLinks_.end());
  link->UpdateState();
  if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}
