// The condition of a signal definition: a text that a schema gives, parsed once when the schema
// is read and turned into a record condition (Condition.h) for each instantiation, with the
// argument values in place.
//
// Grammar (keywords in any case of a-z; names of fields and arguments exactly):
//   condition  := or
//   or         := and { "or" and }
//   and        := term { "and" term }
//   term       := "(" or ")"
//               | ("any" | "every") link "(" [or] ")"
//               | path op operand
//               | path "in" argument
//               | path ["not"] "matches" (text | argument)
//   op         := "<" | "<=" | "=" | "<>" | ">=" | ">"
//   operand    := number | text | "null" | "true" | "false" | argument | path
// A path is a field path as cursors name them ("stock", "customerP.name", "ordersPV",
// "ordersPV.Count()", "[Class].field", "id"). Texts are quoted with ' or ", a quote doubled
// inside. An operand name that names an argument of the definition is that argument, any other
// name is a field of the same record. "any link (c)" holds when some record linked through the
// link field satisfies c (any linked record without c); "every link (c)" when each does, so a
// record without linked records satisfies it. "in" holds when the field equals an element of an
// array argument, "matches" when a regular expression is found in a text field. "null", and an
// argument given no value, stand for the null value of the field compared with; true and false
// are 1 and 0. An empty condition holds for every record.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kestrel/engine/Condition.h"
#include "kestrel/engine/Schema.h"

namespace kestrel {

// The value given for one argument of a signal: a single value (absent when none was given) or
// the elements of an array. Values are as a client reads them: a type's null value stays that
// value.
struct SignalArgument {
  bool isArray = false;
  bool absent = false;
  Value single;
  std::vector<Value> elements;
};

// A condition text that is not a condition: `position` counts characters from 1.
class SignalConditionError : public std::runtime_error {
 public:
  SignalConditionError(size_t position, const std::string& reason)
      : std::runtime_error("at character " + std::to_string(position) + ": " + reason) {}
};

class SignalCondition {
 public:
  // Throws SignalConditionError for a text that is not a condition, names no argument where
  // one is needed, uses an array argument as a single value or the other way round, or nests
  // too deeply.
  static std::shared_ptr<const SignalCondition> Parse(const std::string& text,
                                                      const std::vector<SignalArgDef>& arguments);
  ~SignalCondition();

  // The record condition for the argument values (one per argument of the definition) on
  // records of `cls`: none when every record satisfies it; `never` when no record can (an
  // element test of an array without elements). KS_OK, or the status of a field path or link
  // that the plan cannot use (KS_ERR_NO_SUCH_FIELD, KS_ERR_ACCESS_DENIED,
  // KS_ERR_NO_SUCH_INDEX).
  KSStatus Instantiate(const Schema& schema, const ClassDef& cls,
                       const std::vector<SignalArgument>& arguments, bool inVersion,
                       ConditionPtr& condition, bool& never) const;

  struct Term;

 private:
  SignalCondition() = default;
  std::unique_ptr<Term> root_;  // none: every record
};

}  // namespace kestrel
