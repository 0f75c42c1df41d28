#include "platform/ui/AnswerNames.h"

#include <charconv>

#include "platform/text/Locale.h"
#include "platform/ui/MessageBoxCodes.h"

namespace {

struct TNamed {
  int value;
  const char* identifier;
  const char* caption;
};

// The answers' plain words are their identifiers without "ID".
constexpr TNamed kAnswers[] = {{IDOK, "IDOK", "OK"},
                               {IDCANCEL, "IDCANCEL", "Cancel"},
                               {IDABORT, "IDABORT", "Abort"},
                               {IDRETRY, "IDRETRY", "Retry"},
                               {IDIGNORE, "IDIGNORE", "Ignore"},
                               {IDYES, "IDYES", "Yes"},
                               {IDNO, "IDNO", "No"},
                               {IDCLOSE, "IDCLOSE", "Close"},
                               {IDHELP, "IDHELP", "Help"},
                               {IDTRYAGAIN, "IDTRYAGAIN", "Try Again"},
                               {IDCONTINUE, "IDCONTINUE", "Continue"}};

constexpr TNamed kResults[] = {{mrNone, "mrNone", "None"},
                               {mrOk, "mrOk", "OK"},
                               {mrCancel, "mrCancel", "Cancel"},
                               {mrAbort, "mrAbort", "Abort"},
                               {mrRetry, "mrRetry", "Retry"},
                               {mrIgnore, "mrIgnore", "Ignore"},
                               {mrYes, "mrYes", "Yes"},
                               {mrNo, "mrNo", "No"},
                               {mrAll, "mrAll", "All"},
                               {mrNoToAll, "mrNoToAll", "No to All"},
                               {mrYesToAll, "mrYesToAll", "Yes to All"}};

template <size_t N>
std::string CaptionIn(const TNamed (&table)[N], int value) {
  for (const TNamed& named : table) {
    if (named.value == value) return named.caption;
  }
  return std::to_string(value);
}

}  // namespace

std::string AnswerCaption(int answer) { return CaptionIn(kAnswers, answer); }

std::string ModalResultCaption(TModalResult result) { return CaptionIn(kResults, result); }

int ParseAnswer(std::string_view word) {
  for (const TNamed& answer : kAnswers) {
    const std::string_view identifier = answer.identifier;
    if (SameText(word, identifier) || SameText(word, identifier.substr(2))) return answer.value;
  }
  for (const TNamed& result : kResults) {
    if (SameText(word, result.identifier)) return result.value;
  }
  int value = -1;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && end == word.data() + word.size() && value >= 0 ? value : -1;
}
