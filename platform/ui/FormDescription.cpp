#include "platform/ui/FormDescription.h"

#include "platform/ui/Form.h"

namespace {

void Describe(const TControl& c, int depth, std::string& out) {
  out += std::string(size_t(2 * depth), ' ');
  out += (c.Name().empty() ? std::string("(unnamed)") : c.Name()) + ": ";
  out += std::string(c.ClassName());
  const std::string state = c.StateText();
  if (!state.empty()) out += " " + state;
  if (const auto* win = dynamic_cast<const TWinControl*>(&c); win && win->Focused()) {
    out += " focused";
  }
  if (!c.Enabled()) out += " disabled";
  if (!c.Visible()) out += " hidden";
  out += "\n";
  if (const auto* win = dynamic_cast<const TWinControl*>(&c)) {
    for (int i = 0; i < win->ControlCount(); ++i) Describe(win->Controls(i), depth + 1, out);
  }
}

}  // namespace

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string DescribeForm(const TForm& form) {
  std::string out = "form " + Quoted(form.Caption()) + " (" + std::string(form.ClassName()) + ")\n";
  for (int i = 0; i < form.ControlCount(); ++i) Describe(form.Controls(i), 1, out);
  return out;
}
