#pragma once
// The statements of a presenter script (see ScriptPresenter.h for the
// language) and their parser.

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/Exception.h"

// A statement the script language does not know; names the line.
KR_DECLARE_EXCEPTION(EScriptError, Exception);

struct ScriptStatement {
  enum Kind {
    ExpectForm,
    ExpectMessage,
    ExpectFolder,
    SetText,
    SelectIndex,
    SelectText,
    Check,
    Click,
    Focus,
    PressEnter,
    PressEscape,
    PressTab,
    PressShiftTab,
    Answer,
    Close,
    Choose,
    CancelFolder,
    ExpectState,
  };
  // The states an ExpectState statement checks.
  enum State { Enabled, Disabled, Checked, Unchecked, Visible, Hidden, Focused, Text, Items };

  Kind kind = Close;
  std::string control;  // the control acted on or checked
  std::string text;     // caption, message part, typed text, item text, path
  bool hasText = false;
  int number = 0;  // item index, answer, item count
  State state = Enabled;
  int line = 0;
  std::string source;  // the statement as written

  // Opens a form, message box or browser (rather than acting in one).
  bool Opening() const {
    return kind == ExpectForm || kind == ExpectMessage || kind == ExpectFolder;
  }
};

// Raises EScriptError naming the line of the first malformed statement.
std::vector<ScriptStatement> ParseScript(std::string_view script);
