#pragma once
// The names of message-box answers (ID*) and modal results (mr*), in one
// place for every presenter, dialog and script: the caption a button shows
// and the word a script writes for it.

#include <string>
#include <string_view>

#include "platform/ui/ModalResult.h"

// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No", "Close", "Help",
// "Try Again", "Continue" for IDOK .. IDCONTINUE; the number for any other
// answer.
std::string AnswerCaption(int answer);

// "None" for mrNone; "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"
// as the answers of the same number; "All", "No to All", "Yes to All"; the
// number for any other result.
std::string ModalResultCaption(TModalResult result);

// An answer or result as a script writes it, regardless of case: IDOK ..
// IDCONTINUE, the same without "ID" (ok, tryagain, ...), mrNone ..
// mrYesToAll, or a number of at least 0. Anything else is -1.
int ParseAnswer(std::string_view word);
