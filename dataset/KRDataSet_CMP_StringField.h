#pragma once
// TKRStringField: the field class of a table's string fields (ftString).
// The table keeps text as the Database API does, in wide characters: the
// value takes Size() UTF-16 units and a terminator, (Size() + 1) * 2 bytes.

#include "platform/vcl/StringFields.h"

class TKRStringField : public TWideStringField {
 public:
  explicit TKRStringField(TComponent* owner);

  std::string_view ClassName() const override { return "TKRStringField"; }
};
