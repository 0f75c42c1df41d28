#pragma once
// TField: one column of a data set, as a component. A field is bound to its
// data set's field definition of the same name while the data set is open
// (FieldNo), and reads and writes the active record through the data set.
//
// Native buffers: GetData and SetData exchange the value in the field's
// native form, DataSize() bytes (see the field classes and NativeDateTime.h);
// a null pointer as the buffer means null. GetData answers whether the field
// has a value; IsNull asks with no buffer at all. Blob fields have no buffer:
// their values go through the data set's CreateBlobStream.
//
// Typed access: the GetAs*/SetAs* pairs convert from and to the native form;
// a conversion a class does not support raises EDatabaseError "Cannot access
// field '<name>' as type <type>". SetAsVariant with null or empty clears.
//
// Text: Text() is the edit text and DisplayText() the display text; both go
// through OnGetText when it is set, else through the class's GetText.
// SetText goes through OnSetText when it is set, else through ParseText.
//
// Writing: SetData hands the value to the data set's SetFieldData, which
// checks the state, calls Validate(buffer) before storing it (OnValidate may
// raise to refuse the value; while it runs the field reads the new value),
// stores it and sends deFieldChange, on which the data set calls Change()
// (OnChange).
//
// Changing FieldName, Size, FieldKind or the data set requires the data set
// to be closed; a field name must be unique within the data set.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/com/Variant.h"
#include "platform/text/DateTime.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/DataSetTypes.h"

class TDataSet;
class TField;

using TFieldNotifyEvent = std::function<void(TField& sender)>;
using TFieldGetTextEvent = std::function<void(TField& sender, std::string& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField& sender, const std::string& text)>;
// Makes a field of one class for an owner (which takes it; none is allowed).
using TFieldClass = TField* (*)(TComponent* owner);

template <class T>
TField* MakeField(TComponent* owner) {
  return new T(owner);
}

class TField : public TComponent {
 public:
  explicit TField(TComponent* owner);
  ~TField() override;

  std::string_view ClassName() const override { return "TField"; }
  void GetPublishedProperties(TPublishedProperties& properties) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  // The parent of a field read from a stream is its data set.
  void SetParentComponent(TComponent* parent) override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  // The display label when one is set, else the field name.
  std::string DisplayName() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  std::string DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const std::string& label);
  TFieldType DataType() const { return dataType_; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind kind);
  bool Calculated() const { return fieldKind_ == fkCalculated; }
  bool Lookup() const { return fieldKind_ == fkLookup; }
  virtual bool IsBlob() const { return false; }
  // The number of the field definition it is bound to (from 1); -1 for a
  // calculated or lookup field of an open data set; 0 while unbound.
  int32_t FieldNo() const { return fieldNo_; }
  // For a calculated or lookup field: where its value starts in the
  // calculated-fields area (a presence byte, then DataSize() bytes).
  int32_t Offset() const { return offset_; }
  int32_t Size() const { return size_; }
  void SetSize(int32_t size);
  virtual int32_t DataSize() const { return 0; }
  // Position among the data set's fields.
  int Index() const;
  void SetIndex(int index);

  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { ChangeProperty(readOnly_, value, true); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { ChangeProperty(visible_, value, true); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { ChangeProperty(alignment_, value, false); }
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(const std::string& mask) { editMask_ = mask; }
  // A data field that is not read-only, of a data set that can be modified.
  bool CanModify() const;

  bool IsNull() const { return !GetData(nullptr); }
  virtual void Clear();
  // Asks the data set's controls to focus this field.
  void FocusControl();
  void Validate(const void* buffer);
  bool GetData(void* buffer, bool nativeFormat = true) const {
    // The common case stays inline: every field read of a scan comes here.
    if (validating_ || dataSet_ == nullptr) return GetDataSlowly(buffer, nativeFormat);
    return ReadThroughDataSet(buffer, nativeFormat);
  }
  void SetData(const void* buffer, bool nativeFormat = true);

  virtual bool GetAsBoolean() const;
  virtual void SetAsBoolean(bool value);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTime(TDateTime value);
  virtual double GetAsFloat() const;
  virtual void SetAsFloat(double value);
  virtual int32_t GetAsInteger() const;
  virtual void SetAsInteger(int32_t value);
  virtual int64_t GetAsLargeInt() const;
  virtual void SetAsLargeInt(int64_t value);
  virtual std::string GetAsString() const;
  virtual void SetAsString(const std::string& value);
  virtual std::u16string GetAsWideString() const;
  // The value GetAsWideString answers, stored into `value`, whose storage is
  // reused: a scan that reads text into the same string allocates nothing
  // once the string is long enough.
  virtual void GetWideStringInto(std::u16string& value) const { value = GetAsWideString(); }
  virtual void SetAsWideString(const std::u16string& value);
  virtual OleVariant GetAsVariant() const;
  void SetAsVariant(const OleVariant& value);

  bool AsBoolean() const { return GetAsBoolean(); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  double AsFloat() const { return GetAsFloat(); }
  int32_t AsInteger() const { return GetAsInteger(); }
  int64_t AsLargeInt() const { return GetAsLargeInt(); }
  std::string AsString() const { return GetAsString(); }
  std::u16string AsWideString() const { return GetAsWideString(); }
  OleVariant AsVariant() const { return GetAsVariant(); }
  OleVariant Value() const { return GetAsVariant(); }
  void SetValue(const OleVariant& value) { SetAsVariant(value); }

  std::string Text() const { return TextOf(false); }
  std::string DisplayText() const { return TextOf(true); }
  void SetText(const std::string& text);

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

 protected:
  void SetDataType(TFieldType type) { dataType_ = type; }
  // The alignment a new field of the class has (what the stream omits).
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
  virtual void GetText(std::string& text, bool displayText) const;
  virtual void ParseText(const std::string& text) { SetAsString(text); }
  // Sets a value given as a variant that is neither null nor empty.
  virtual void SetVarValue(const OleVariant& value);
  // Refuses a size the class cannot have (the base: anything but 0).
  virtual void CheckTypeSize(int32_t size) const;
  [[noreturn]] void AccessError(const char* typeName) const;
  // Tells an open data set's controls that a property changed.
  void PropertyChanged(bool layoutAffected);
  // Sets a property and tells of the change when there is one.
  template <class T>
  void ChangeProperty(T& member, const T& value, bool layoutAffected) {
    if (member == value) return;
    member = value;
    PropertyChanged(layoutAffected);
  }
  void CheckInactive() const;

 private:
  friend class TDataSet;
  friend class TFields;

  std::string TextOf(bool displayText) const;
  void Change();
  bool GetDataSlowly(void* buffer, bool nativeFormat) const;
  bool ReadThroughDataSet(void* buffer, bool nativeFormat) const;

  TDataSet* dataSet_ = nullptr;
  std::string fieldName_;
  std::string displayLabel_;
  std::string editMask_;
  TFieldType dataType_ = ftUnknown;
  TFieldKind fieldKind_ = fkData;
  int32_t fieldNo_ = 0;
  int32_t offset_ = 0;
  int32_t size_ = 0;
  bool required_ = false;
  bool readOnly_ = false;
  bool visible_ = true;
  TAlignment alignment_ = taLeftJustify;
  // While Validate runs: the value being validated (null for null).
  bool validating_ = false;
  const void* validateBuffer_ = nullptr;
};
