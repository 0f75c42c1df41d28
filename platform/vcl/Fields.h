#pragma once
// TFields: the fields of one data set, in order. The list does not own the
// fields (their owners do), but Clear destroys them: a data set's fields go
// with it, or when its default fields are dropped. Names compare without
// regard to ASCII case.

#include <string>
#include <string_view>
#include <vector>

class TDataSet;
class TField;

class TFields {
 public:
  explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}
  TFields(const TFields&) = delete;
  TFields& operator=(const TFields&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  int Count() const { return static_cast<int>(list_.size()); }
  // EListError outside 0..Count-1.
  TField* operator[](int index) const;
  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }

  TField* FindField(std::string_view name) const;
  // EDatabaseError "Field '<name>' not found" when there is none.
  TField* FieldByName(std::string_view name) const;
  // The field bound to field definition `fieldNo` (from 1), or null.
  TField* FieldByNumber(int fieldNo) const;
  int IndexOf(const TField* field) const;

  void Add(TField* field);
  void Remove(TField* field);
  void Move(TField* field, int index);
  // Destroys every field.
  void Clear();

 private:
  TDataSet* dataSet_;
  std::vector<TField*> list_;
};
