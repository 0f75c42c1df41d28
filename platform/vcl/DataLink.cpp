#include "platform/vcl/DataLink.h"

#include <algorithm>

#include "platform/vcl/DataSet.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/TryFinally.h"

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == dataSource_) return;
  if (dataSource_ != nullptr) dataSource_->RemoveDataLink(this);
  if (source != nullptr) source->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const {
  return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  UpdateState();
}

void TDataLink::SetBufferCount(int32_t count) {
  count = std::max(count, 1);
  if (count == bufferCount_) return;
  bufferCount_ = count;
  TDataSet* dataSet = DataSet();
  if (dataSet != nullptr) dataSet->UpdateBufferCount();
  if (active_) firstRecord_ = FollowActiveRecord(firstRecord_);
}

int32_t TDataLink::FollowActiveRecord(int32_t first) {
  const int32_t active = DataSet()->ActiveRecord();
  const int32_t last = first + bufferCount_ - 1;
  if (active > last) return active - bufferCount_ + 1;
  if (active < first) return active;
  return std::max(first, 0);
}

int32_t TDataLink::ActiveRecord() const {
  if (!active_ || dataSource_->State() == dsSetKey) return 0;
  return DataSet()->ActiveRecord() - firstRecord_;
}

int32_t TDataLink::RecordCount() const {
  if (!active_) return 0;
  if (dataSource_->State() == dsSetKey) return 1;
  return std::min(DataSet()->BufferedRecordCount() - firstRecord_, bufferCount_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_ != nullptr) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  updating_ = true;
  TryFinally([this] { UpdateData(); }, [this] { updating_ = false; });
}

void TDataLink::UpdateState() {
  const TDataSetState state = dataSource_ != nullptr ? dataSource_->State() : dsInactive;
  const bool active = state != dsInactive;
  if (active != active_) {
    active_ = active;
    firstRecord_ = active ? FollowActiveRecord(0) : 0;
    ActiveChanged();
  }
  const bool editing = dsEditModes.Contains(state) && !readOnly_;
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int32_t moved = 0;
      if (dataSource_->State() != dsSetKey) {
        const int32_t first = firstRecord_ + (event == deDataSetScroll ? static_cast<int32_t>(info) : 0);
        firstRecord_ = FollowActiveRecord(first);
        moved = firstRecord_ - first;
      }
      if (event == deDataSetChange) {
        DataSetChanged();
      } else if (event == deDataSetScroll) {
        DataSetScrolled(moved);
      } else {
        LayoutChanged();
      }
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

void TFieldDataLink::SetFieldName(const std::string& name) {
  if (name == fieldName_) return;
  fieldName_ = name;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  TDataSet* dataSet = DataSet();
  SetField(Active() && dataSet != nullptr && !fieldName_.empty() ? dataSet->FindField(fieldName_)
                                                                 : nullptr);
}

void TFieldDataLink::SetField(TField* field) {
  if (field == field_) return;
  field_ = field;
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
  return !ReadOnly() && field_ != nullptr && field_->CanModify();
}

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(*this);
}

void TFieldDataLink::EditingChanged() {
  const bool editing = TDataLink::Editing() && CanModify();
  if (editing == fieldEditing_) return;
  fieldEditing_ = editing;
  modified_ = false;
  if (OnEditingChange) OnEditingChange(*this);
}

void TFieldDataLink::FocusControl(TField** field) {
  if (field == nullptr || *field == nullptr || *field != field_) return;
  if (OnFocusControl) {
    OnFocusControl(*this);
    *field = nullptr;
  }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field != nullptr && field != field_) return;
  if (OnDataChange) OnDataChange(*this);
  modified_ = false;
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_ != nullptr && OnUpdateData) OnUpdateData(*this);
  modified_ = false;
}
