#include "support/KREdit_CMP.h"

#include "support/KRColorScheme_UNT.h"

TKREdit::TKREdit() : FColor(Color()) {}

void TKREdit::SetColor(TColor color) {
  FColor = color;
  AdjustColor();
}

void TKREdit::SetReadOnly(bool readOnly) {
  TEdit::SetReadOnly(readOnly);
  AdjustColor();
}

void TKREdit::SysColorChange() {
  ResetApplicationColors();
  AdjustColor();
  TEdit::SysColorChange();
}

void TKREdit::AdjustColor() {
  TEdit::SetColor(ReadOnly() ? GetApplicationReadOnlyColor() : FColor);
}
