#pragma once
// TKRLabel: the module's label. It names the control it belongs to through
// FocusControl (a windowed control of the same form), which takes the focus
// for it; everything else is the standard label's behaviour.

#include "platform/ui/StdCtrls.h"

class TKRLabel : public TLabel {
 public:
  std::string_view ClassName() const override { return "TKRLabel"; }
};
