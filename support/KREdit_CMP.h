#pragma once
// TKREdit: the module's single-line edit. It behaves as the standard edit;
// its read-only state goes through the virtual TEdit::SetReadOnly, so the
// module's colour model can give a read-only edit its own colour there.

#include "platform/ui/StdCtrls.h"

class TKREdit : public TEdit {
 public:
  std::string_view ClassName() const override { return "TKREdit"; }
};
