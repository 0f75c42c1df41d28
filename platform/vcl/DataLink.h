#pragma once
// TDataLink: what a control or a detail data set uses to follow a data
// source. A class derived from it overrides the hooks it cares about:
// - ActiveChanged: the data source's data set opened or closed (or the link
//   changed data source); Active() tells which.
// - EditingChanged: the data set entered or left an edit state (and the
//   link is not read-only); Editing() tells which.
// - RecordChanged(field): a field of the active record changed (field set)
//   or the whole record did (null). Not called for the changes the link
//   writes itself in UpdateData.
// - DataSetChanged: the data set changed as a whole (after a move to the
//   first or last record, a post, a resync...); by default RecordChanged(null).
// - DataSetScrolled(distance): the active record moved; `distance` is how
//   far the link's first row moved; by default DataSetChanged.
// - LayoutChanged: fields were added, removed or changed; by default
//   DataSetChanged.
// - UpdateData: write pending values into the record (UpdateRecord).
// - CheckBrowseMode: the data set is about to leave an edit state or move.
// - FocusControl(field): a control showing *field should take the focus
//   and then set *field to null.
// Hooks are called only while the link is active, except ActiveChanged.
//
// BufferCount: how many rows the link shows; the data set keeps at least
// that many buffers. The link's rows are a window of the data set's ring
// that always contains the active record; ActiveRecord() is the active
// record's row in that window.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/vcl/DataSetTypes.h"

class TComponent;
class TDataSet;
class TDataSource;
class TField;

class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  // Leaves its data source.
  virtual ~TDataLink();

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* source);
  // The data source's data set, or null.
  TDataSet* DataSet() const;
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  int32_t BufferCount() const { return bufferCount_; }
  // At least 1.
  void SetBufferCount(int32_t count);
  int32_t ActiveRecord() const;
  // How many of the link's rows hold records.
  int32_t RecordCount() const;
  // Asks the data source to edit (when not read-only); answers Editing().
  bool Edit();
  // Calls UpdateData, ignoring the field changes it makes.
  void UpdateRecord();

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int32_t) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField**) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField*) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;

  void DataEvent(TDataEvent event, intptr_t info);
  void UpdateState();
  // Moves the window the least that makes it contain the active record.
  int32_t FollowActiveRecord(int32_t first);

  TDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
  int32_t bufferCount_ = 1;
  int32_t firstRecord_ = 0;
};

// TFieldDataLink: a link that follows one field of the active record, for a
// control that shows and edits it. Field() is the data set's field named
// FieldName() while the link is active (null when there is none). Its
// events: OnDataChange when the field's value may have changed (a record
// change, a change of that field, a new field), OnEditingChange when
// Editing() changes (the data set edits and the field can be modified),
// OnUpdateData when the control should write its value (only after
// Modified()), OnActiveChange, and OnFocusControl when the field should take
// the focus.
class TFieldDataLink : public TDataLink {
 public:
  using Event = std::function<void(TFieldDataLink& link)>;

  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  TField* Field() const { return field_; }
  bool Editing() const { return fieldEditing_; }
  // Not read-only, with a field that can be modified.
  bool CanModify() const;
  // Puts the data set into dsEdit when the field can be modified; answers
  // Editing().
  bool Edit();
  // The control changed its value: the next UpdateData writes it.
  void Modified() { modified_ = true; }
  // Forgets the control's pending value (OnDataChange shows the record's).
  void Reset() { RecordChanged(nullptr); }

  Event OnDataChange;
  Event OnEditingChange;
  Event OnUpdateData;
  Event OnActiveChange;
  Event OnFocusControl;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* field);

  std::string fieldName_;
  TField* field_ = nullptr;
  bool fieldEditing_ = false;
  bool modified_ = false;
};
