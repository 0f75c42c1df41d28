// TDataSet: states, data events, data sources, disabled controls and
// calculated fields.

#include <algorithm>

#include "platform/vcl/DataSet.h"
#include "platform/vcl/DataSource.h"
#include "platform/vcl/TryFinally.h"

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState state) {
  const TDataSetState saved = state_;
  state_ = state;
  ++disableCount_;
  return saved;
}

void TDataSet::RestoreState(TDataSetState state) {
  state_ = state;
  --disableCount_;
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  switch (event) {
    case deFieldChange: {
      TField* field = reinterpret_cast<TField*>(info);
      if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
        modified_ = true;
        if (field->FieldKind() == fkData) UpdateCalcFields();
      }
      field->Change();
      break;
    }
    case deDataSetChange:
    case deDataSetScroll:
      if (state_ != dsInsert) UpdateCursorPos();
      break;
    case dePropertyChange:
      fieldDefs_->SetUpdated(false);
      break;
    default:
      break;
  }
  if (!ControlsDisabled() && state_ != dsBlockRead) {
    // A data source may leave while it is told: walk by index.
    for (size_t i = 0; i < dataSources_.size(); ++i) dataSources_[i]->DataEvent(event, info);
  } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
    enableEvent_ = deLayoutChange;
  }
}

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0 || --disableCount_ != 0) return;
  if (disableState_ != state_) DataEvent(deUpdateState, 0);
  if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

bool TDataSet::IsLinkedTo(const TDataSource* source) const {
  if (source == nullptr || source->DataSet() == nullptr) return false;
  return source->DataSet() == this ||
         AnyMasterSource(source->DataSet(),
                         [this](const TDataSource& master) { return master.DataSet() == this; });
}

void TDataSet::AddDataSource(TDataSource* source) {
  dataSources_.push_back(source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source) {
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source),
                     dataSources_.end());
  UpdateBufferCount();
}

void TDataSet::UpdateCalcFields() {
  if (state_ != dsSetKey && autoCalcFields_) GetCalcFields(ActiveBuffer());
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (calcFieldsSize_ > 0) CalculateFields(buffer);
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  calcBuffer_ = buffer;
  const TDataSetState saved = state_;
  state_ = dsCalcFields;
  TryFinally(
      [&] {
        ClearCalcFields(buffer);
        DoOnCalcFields();
      },
      [&] { state_ = saved; });
}
