#include "platform/ui/Application.h"

#include <cerrno>

#include "platform/text/Exception.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Screen.h"

TApplication::TApplication() : title_(program_invocation_short_name) {}

void TApplication::ProcessMessages() {
  if (processMessages_) processMessages_();
}

void TApplication::SysColorsChanged() {
  if (OnSysColorChange) OnSysColorChange();
  // A handler may create or free forms; walk a copy.
  std::vector<TForm*> forms;
  for (int i = 0; i < Screen().FormCount(); ++i) forms.push_back(&Screen().Forms(i));
  for (TForm* form : forms) form->SysColorChange();
}

void TApplication::HelpContext(int context) {
  if (OnHelp) OnHelp(context);
}

void TApplication::HandleException(const std::exception& e) {
  if (OnException) {
    OnException(e);
    return;
  }
  const auto* ours = dynamic_cast<const Exception*>(&e);
  if (ours && ours->InheritsFrom("EAbort")) return;
  std::string message = e.what();
  // The platform ends a shown message with a full stop.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  ::MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

TApplication& Application() {
  static TApplication application;
  return application;
}
