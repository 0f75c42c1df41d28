#include "platform/ui/MessageBox.h"

#include <algorithm>

#include "platform/ui/Presenter.h"

std::vector<int> MessageBoxAnswers(uint32_t flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK:
      return {IDOK};
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
      return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default:
      return {};
  }
}

int DecliningAnswer(const std::vector<int>& answers) {
  for (int preferred : {IDCANCEL, IDNO, IDABORT, IDOK}) {
    if (std::find(answers.begin(), answers.end(), preferred) != answers.end()) return preferred;
  }
  return answers.empty() ? 0 : answers.front();
}

int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  if (MessageBoxAnswers(flags).empty()) return 0;
  return ModalPresenter().MessageBox(text, caption, flags);
}
