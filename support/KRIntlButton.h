#pragma once
// TKRIntlButton: the module's push button, with the standard button's
// default, cancel and modal-result behaviour.

#include "platform/ui/StdCtrls.h"

class TKRIntlButton : public TButton {
 public:
  std::string_view ClassName() const override { return "TKRIntlButton"; }
};
