#pragma once
// TKREdit: the module's single-line edit. It behaves as the standard edit,
// except for its colour: the edit keeps the colour assigned to it apart from
// the colour it paints with (Color()). An editable edit paints with the
// assigned colour, a read-only one with the process-wide read-only colour
// (GetApplicationReadOnlyColor). When the system colours change, the
// read-only colour is computed afresh and the edit adjusts to it.

#include "platform/ui/StdCtrls.h"

class TKREdit : public TEdit {
 public:
  TKREdit();
  std::string_view ClassName() const override { return "TKREdit"; }

  // The colour assigned to the edit (clWindow until one is).
  TColor AssignedColor() const { return FColor; }
  void SetColor(TColor color) override;
  void SetReadOnly(bool readOnly) override;
  void SysColorChange() override;

 private:
  void AdjustColor();

  TColor FColor;
};
