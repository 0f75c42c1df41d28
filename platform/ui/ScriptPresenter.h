#pragma once
// The presenter of tests and scripts: a script of the forms, message boxes
// and folder browsers expected, in order, and of what the user does in each.
// Statements end at a line break or ';'; '#' starts a comment up to the end
// of the line. Texts are bare words (joined by single blanks) or quoted with
// ' or " (a doubled quote stands for itself); keywords ignore case.
//
//   expect form [with caption] TEXT      a modal form of exactly this caption
//   expect message [box] [containing] [TEXT]
//                                        a message box or message dialog
//                                        whose text contains TEXT
//   expect folder [browser] [with caption] [TEXT]
//   set CONTROL to TEXT                  type into an edit or editable box
//   select [item] N of CONTROL           pick item N (0-based) of a combo box
//   select CONTROL N | 'TEXT'            ... or the item of that text
//   check CONTROL | click CONTROL | focus CONTROL
//   press enter | escape | tab | shift-tab
//   answer ID                            a message box's answer (IDYES, mrOk,
//                                        6, ...); on a form, clicks the
//                                        button of that modal result
//   close                                closes the form with mrCancel
//   choose TEXT | cancel                 the folder browser's answer
//   expect CONTROL enabled | disabled | checked | unchecked | visible |
//          hidden | focused | text TEXT | items N
//
// The actions after an "expect form" run on that form until it closes; a
// form opened meanwhile by an event handler takes the following statements.
// A message dialog expected with "expect message" is answered by the actions
// that follow ("answer", "click Yes"); a message box takes the "answer" that
// follows at once.
//
// Whatever the script did not expect, an action the user could not do, a
// check that does not hold, and a form left open when its actions run out
// are failures. Each is recorded with the form described (caption and
// controls). After a failed action the form's remaining actions are skipped;
// a form or box in trouble gets the declining answer (DecliningResult,
// DecliningAnswer), so the test goes on and reports everything at the end.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Presenter.h"
#include "platform/ui/ScriptParser.h"

class TScriptPresenter : public IModalPresenter {
 public:
  TScriptPresenter() = default;
  // Raises EScriptError for a malformed statement.
  explicit TScriptPresenter(std::string_view script) { Append(script); }
  void Append(std::string_view script);

  TModalResult ShowModal(TForm& form) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override;

  const std::vector<std::string>& Failures() const { return failures_; }
  // Empty when every statement ran and nothing failed; otherwise the
  // failures and the statements not reached, one per line.
  std::string Verify() const;

 private:
  using Statement = ScriptStatement;
  const Statement* Peek() const;
  // "the script expects ..." for the next statement.
  std::string Expected() const;
  void Fail(const std::string& what);
  void RunActions(TForm& form);
  void Perform(TForm& form, const Statement& s);
  void CheckState(TForm& form, const Statement& s);
  void SkipActions();

  std::vector<Statement> statements_;
  size_t next_ = 0;
  std::vector<std::string> failures_;
};
