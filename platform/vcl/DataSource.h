#pragma once
// TDataSource: the connection between one data set and the data links of
// the controls and detail data sets that show or follow it. It passes the
// data set's events to its links, follows the data set's state (dsInactive
// when disabled or without a data set) and fires its own events:
// OnStateChange when its state changes, OnDataChange when the data change
// (with the field for a field change, null otherwise, and once when it
// leaves dsInactive), OnUpdateData when controls are asked to write their
// values.
//
// Setting a data set that is linked back to this source through its
// masters raises EDatabaseError "Circular datalinks are not allowed". A
// data set that is removed or destroyed is let go.

#include <functional>
#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/DataSetTypes.h"

class TDataLink;
class TDataSet;
class TDataSource;
class TField;

// Whether `test` holds for one of the data sources met by walking from
// `dataSet` to its master source, that source's data set's master source,
// and so on.
bool AnyMasterSource(const TDataSet* dataSet, const std::function<bool(const TDataSource&)>& test);

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  std::string_view ClassName() const override { return "TDataSource"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Whether Edit (asked by a control) may put the data set into dsEdit.
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  TDataSetState State() const { return state_; }
  // Puts a browsing data set into dsEdit when AutoEdit is set.
  void Edit();
  // Whether `dataSet` takes its master record from this source, directly
  // or through other masters.
  bool IsLinkedTo(const TDataSet* dataSet) const;
  int DataLinkCount() const { return static_cast<int>(dataLinks_.size()); }

  std::function<void(TDataSource& sender)> OnStateChange;
  std::function<void(TDataSource& sender, TField* field)> OnDataChange;
  std::function<void(TDataSource& sender)> OnUpdateData;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;

  void DataEvent(TDataEvent event, intptr_t info);
  void DataSetDestroyed();
  void UpdateState();
  void SetState(TDataSetState state);
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> dataLinks_;
};
