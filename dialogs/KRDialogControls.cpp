#include "dialogs/KRDialogControls.h"

TPanel& AddAlignedPanel(TForm& form, std::string name, TAlign align, int height) {
  TPanel& panel = form.Add<TPanel>(std::move(name));
  panel.SetBevelOuter(bvNone);
  panel.SetHeight(height);
  panel.SetAlign(align);
  return panel;
}

TKRLabel& AddBoundLabel(TForm& form, TWinControl& parent, std::string name, std::string caption,
                        int left, int top, TWinControl& focus) {
  TKRLabel& label = form.Add<TKRLabel>(parent, std::move(name));
  label.SetCaption(std::move(caption));
  label.SetLeft(left);
  label.SetTop(top);
  label.SetFocusControl(&focus);
  return label;
}
