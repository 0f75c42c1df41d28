// Conditions on records, as cursor filters, searches and deletions use them. A condition is made
// without a class and never changes afterwards (conditions share their parts); it is bound to
// the class whose records it tests when it is used, which resolves its field paths then
// (FieldPath.h).
//
// - A comparison: field <op> target, op 0 <, 1 <=, 2 =, 3 <>, 4 >=, 5 >. The target is a
//   value, another field of the same record, or a regular expression. Values and fields compare
//   as a client reads them (NullAsRead, CompareRead): "equal to a type's null value" finds the
//   stored nulls, and numbers of either kind compare with each other. A regular expression
//   (ICU syntax, on the UTF-16 text of a text field) is compiled once, when the condition is
//   made; it matches when it is found anywhere in the text, unless anchored with ^ and $;
//   op 2 means "matches", 3 "does not match".
// - AND and OR of two conditions.
// - Contains: through a link field of the class, some linked record (or, with `every`, each
//   linked record, so that a record without links satisfies it) satisfies a condition on the
//   linked records; without that condition, any linked record does.
#pragma once

#include <memory>
#include <string>

#include "kestrel/engine/FieldPath.h"

namespace kestrel {

struct Condition;
using ConditionPtr = std::shared_ptr<const Condition>;

struct Condition {
  enum class Kind { kCompare, kAnd, kOr, kContains };
  enum class Target { kValue = 0, kPattern = 1, kField = 2 };
  struct Pattern;  // a compiled regular expression

  Kind kind = Kind::kCompare;
  // kCompare: the field and operator; `value` as read (kValue), the pattern's text (kPattern)
  // or the other field's path (kField).
  std::string field;
  int32_t op = 2;
  Target target = Target::kValue;
  Value value;
  std::shared_ptr<const Pattern> pattern;
  // Why the condition cannot be used (an expression that does not compile, an operator that
  // does not fit the target); every use answers it.
  KSStatus error = KS_OK;
  // kAnd, kOr: both parts; kContains: `left` is the condition on the linked records (or null).
  ConditionPtr left;
  ConditionPtr right;
  std::string link;  // kContains: the link field
  bool every = false;

  // op must be 0..5. A pattern target takes a text value.
  static ConditionPtr Compare(std::string field, int32_t op, Target target, Value value);
  static ConditionPtr Both(Kind kind, ConditionPtr left, ConditionPtr right);
  static ConditionPtr Contains(std::string link, ConditionPtr linked, bool every);
};

// A condition bound to the class whose records it tests. It keeps matchers of its regular
// expressions, so it is used by one caller at a time.
class BoundCondition {
 public:
  // KS_OK; the condition's own error; KS_ERR_NO_SUCH_FIELD / KS_ERR_ACCESS_DENIED for a path
  // (FieldPath::Resolve); KS_ERR_INVALID_ARGUMENT when a value or field cannot be compared with
  // the field (a text with a number); KS_ERR_NO_SUCH_INDEX when a contains condition names no
  // link field of the class.
  static KSStatus Bind(const Schema& schema, const ClassDef& cls, const Condition& condition,
                       bool inVersion, std::unique_ptr<BoundCondition>& out);
  ~BoundCondition();

  bool Test(ReadContext& context, RecordID id, const Record& record);
  // KS_ERR_INVALID_PATTERN once a regular expression gave up on a text (it ran too long);
  // that record counted as not matching.
  KSStatus Failure() const { return failure_; }

  struct Node;

 private:
  BoundCondition() = default;
  std::unique_ptr<Node> root_;
  KSStatus failure_ = KS_OK;
};

}  // namespace kestrel
