// A field as cursors and conditions name it, resolved once on the class whose records it reads:
// - a stored field of the class ("name");
// - "id" (any case): the record's ID (type 1);
// - a path through reference fields ("customerP.name", "customerP.id"): the field of the
//   referenced record; it reads as null when a reference on the way is null or leads nowhere;
// - a link field ("ordersPV"): the number of linked records (type 14, as objects read it), or
//   with ".Count()" ("ordersPV.Count()") the same number as an unsigned integer (type 8);
// - "Count()": the number of records a row stands for (type 8): 1, or for a row of a cursor
//   with distinct fields the number of records that share its values;
// - "[Class].path": the path on a subclass or an ancestor of the class; records that are not of
//   that class read it as null.
// Field names match exactly, or else when they differ only in the case of a-z. Fields that the
// plan shows as invisible (access 3), and paths through classes it shows as invisible, cannot be
// named. Values read as a client reads them (see NullAsRead).
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/View.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

class FieldPath {
 public:
  // KS_OK; KS_ERR_NO_SUCH_FIELD when the path leads to no field; KS_ERR_ACCESS_DENIED when it
  // names something invisible in the plan (`inVersion`: a scenario's, else the actual plan's).
  static KSStatus Resolve(const Schema& schema, const ClassDef& cls, const std::string& path,
                          bool inVersion, FieldPath& out);

  const std::string& Name() const { return name_; }
  // The API type of the values read.
  int32_t Type() const { return type_; }
  // The position of a stored field of the class itself (what a write may name); -1 for paths,
  // pseudo fields and link fields.
  int StoredPosition() const;
  // Whether this is "Count()", whose value the row's owner knows.
  bool CountsRows() const;
  // The value of the record `id` as read. Stored values are answered in place (valid while the
  // record is); computed ones (IDs, counts) are put into `scratch` first.
  const Value& Read(ReadContext& context, RecordID id, const Record& record, Value& scratch) const;

 private:
  struct Step {
    enum class Kind { kField, kId, kLinkCount, kRowCount, kOfClass };
    Kind kind = Kind::kField;
    size_t position = 0;               // kField: in the fields of the step's class
    const FieldDef* field = nullptr;   // kField, kLinkCount
    const ClassDef* cls = nullptr;     // kOfClass
  };

  std::string name_;
  int32_t type_ = type::kUnsupported;
  std::vector<Step> steps_;
};

// The field of the class named `name`: exactly, or else the one whose name differs only in the
// case of a-z; -1 when there is none.
int FindFieldIndex(const ClassDef& cls, const std::string& name);

}  // namespace kestrel
