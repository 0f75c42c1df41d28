#include "console/tui/TerminalPresenter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "console/tui/Glyphs.h"
#include "console/tui/MessageBoxForm.h"
#include "console/tui/TestSupport_test.h"
#include "platform/testing/TestFiles.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/Screen.h"

namespace {

class TerminalPresenterTest : public ::testing::Test {
 protected:
  TerminalPresenterTest()
      : presenter(
            terminal, [](TCellGrid& grid) { grid.Put(0, 0, "main screen", TCellStyle::Normal); },
            [this] { ++idles; }),
        scope(presenter) {}
  ~TerminalPresenterTest() override { Screen().SetSize(1024, 768); }

  static TKey Key(TKeyCode code) { return TKey::Named(code); }
  // The last screen shown, as text.
  std::string LastScreen() const { return terminal.screens.back().Text(); }

  ScriptedTerminal terminal{60, 20};
  int idles = 0;
  TTerminalPresenter presenter;
  TPresenterScope scope;
};

TEST_F(TerminalPresenterTest, AFormIsDrawnOverTheMainScreenAndRunByKeys) {
  LogonForm logon;
  logon.form.SetPosition(poScreenCenter);
  terminal.Queue({TKey::Char("a"), TKey::Named(TKeyCode::None), TKey::Named(TKeyCode::Resize),
                  Key(TKeyCode::Tab), TKey::Char("p"), Key(TKeyCode::Enter)});
  EXPECT_EQ(logon.form.ShowModal(), mrOk);
  EXPECT_EQ(logon.user.Text(), "a");
  EXPECT_EQ(logon.password.Text(), "p");
  EXPECT_EQ(idles, 1);
  // The screen follows the terminal's size, and the centred form sits in the
  // middle of it over the main screen.
  EXPECT_EQ(Screen().Width(), 60 * kCellWidth);
  const TCellGrid& last = terminal.screens.back();
  EXPECT_EQ(Line(last, 0), "main screen");
  EXPECT_EQ(Line(last, 8), "                  │ Password: [*     ]  │");
  EXPECT_EQ(terminal.exhausted, 0);
}

TEST_F(TerminalPresenterTest, ARefusedKeyBeepsAndShowsTheReason) {
  LogonForm logon;
  logon.ok.SetEnabled(false);
  terminal.Queue({Key(TKeyCode::Enter), TKey::Char("x"), Key(TKeyCode::Escape)});
  EXPECT_EQ(logon.form.ShowModal(), mrCancel);
  EXPECT_EQ(terminal.beeps, 1);
  EXPECT_EQ(Line(terminal.screens[1], 19), "OK is disabled");
  // The next key clears the reason.
  EXPECT_EQ(Line(terminal.screens[2], 19), "");
}

TEST_F(TerminalPresenterTest, MessageBoxesAnswerWithTheirButtons) {
  terminal.Queue({Key(TKeyCode::Enter)});
  EXPECT_EQ(::MessageBox("Save changes?", "Console", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
  // Escape answers the declining button, which a Yes/No box has too.
  terminal.Queue({Key(TKeyCode::Escape)});
  EXPECT_EQ(::MessageBox("Delete?", "Console", MB_YESNO), IDNO);
  terminal.Queue({Key(TKeyCode::Right), Key(TKeyCode::Enter)});
  EXPECT_EQ(::MessageBox("Retry?", "Console", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDIGNORE);
  terminal.Queue({Key(TKeyCode::Enter)});
  EXPECT_EQ(::MessageBox("Go on?", "", MB_CANCELTRYCONTINUE | MB_DEFBUTTON3), IDCONTINUE);
  EXPECT_EQ(presenter.MessageBox("bad", "Console", 7), 0);
  EXPECT_EQ(terminal.exhausted, 0);
}

TEST_F(TerminalPresenterTest, TheFirstLetterOfAButtonPressesIt) {
  for (const auto& [letter, flags, answer] : std::initializer_list<std::tuple<const char*, uint32_t, int>>{
           {"n", MB_YESNOCANCEL, IDNO},
           {"Y", MB_YESNO, IDYES},  // either case
           {"r", MB_ABORTRETRYIGNORE, IDRETRY},
           {"i", MB_ABORTRETRYIGNORE, IDIGNORE},
           {"o", MB_OKCANCEL, IDOK},
       }) {
    terminal.Queue({TKey::Char(letter)});
    EXPECT_EQ(::MessageBox("Go on?", "Console", flags), answer) << letter;
  }
  // A letter no button has does nothing; Cancel and Continue share theirs,
  // which moves the focus to the next of them instead of pressing one.
  terminal.Queue({TKey::Char("x"), TKey::Char("c"), Key(TKeyCode::Enter)});
  EXPECT_EQ(::MessageBox("Go on?", "", MB_CANCELTRYCONTINUE), IDCONTINUE);
  EXPECT_EQ(terminal.beeps, 1);
  EXPECT_EQ(terminal.exhausted, 0);
  // The letters stand out on the buttons; the focused one's differently.
  terminal.Queue({Key(TKeyCode::Escape)});
  ::MessageBox("Go on?", "Console", MB_YESNO);
  const TCellGrid& box = terminal.screens.back();
  int buttonRows = 0;
  for (int y = 0; y < box.Height(); ++y) {
    const std::string row = box.Row(y);
    const size_t yes = row.find("Yes");
    if (yes == std::string::npos) continue;
    ++buttonRows;
    const auto cell = [&](size_t byte) { return size_t(GlyphCount(row.substr(0, byte))); };
    EXPECT_EQ(box.StyleRow(y)[cell(yes)], 'A');  // Yes is the default and has the focus
    EXPECT_EQ(box.StyleRow(y)[cell(row.find("No"))], 'a');
    EXPECT_EQ(box.StyleRow(y)[cell(yes) + 1], 'B');
  }
  EXPECT_EQ(buttonRows, 1);
}

TEST_F(TerminalPresenterTest, InAFieldLettersAreTypedNotPressed) {
  LogonForm logon;
  terminal.Queue({TKey::Char("c"), TKey::Char("o"), Key(TKeyCode::Enter)});
  EXPECT_EQ(logon.form.ShowModal(), mrOk);
  EXPECT_EQ(logon.user.Text(), "co");
}

TEST_F(TerminalPresenterTest, AFormLargerThanTheTerminalSaysSoAndOnlyCancels) {
  LogonForm logon;
  logon.form.SetClientWidth(70 * kCellWidth);  // wider than the 60 columns
  terminal.Queue({TKey::Char("a"), Key(TKeyCode::Enter), Key(TKeyCode::Escape)});
  EXPECT_EQ(logon.form.ShowModal(), mrCancel);
  EXPECT_EQ(logon.user.Text(), "");
  EXPECT_EQ(terminal.beeps, 2);
  const std::string first = terminal.screens.front().Text();
  EXPECT_NE(first.find("too small for \"Logon\""), std::string::npos) << first;
  EXPECT_NE(first.find("72x8"), std::string::npos) << first;
  EXPECT_EQ(first.find("Password"), std::string::npos);
}

TEST_F(TerminalPresenterTest, AMessageBoxShowsItsCaptionIconTextAndButtons) {
  terminal.Queue({Key(TKeyCode::Enter)});
  ::MessageBox("The server cannot be reached.", "", MB_OKCANCEL | MB_ICONHAND | MB_DEFBUTTON2);
  const std::string screen = LastScreen();
  EXPECT_NE(screen.find("┌ Error "), std::string::npos);
  EXPECT_NE(screen.find("(X)   The server cannot be reached."), std::string::npos);
  EXPECT_NE(screen.find("[   OK   ]  < Cancel >"), std::string::npos);
}

// The text wraps within half the screen; a word longer than a narrow
// terminal leaves room for is split, so the box always fits.
TEST_F(TerminalPresenterTest, AMessageBoxFitsTheTerminalItIsShownOn) {
  const std::string path = "/srv/kestrel/groups/" + std::string(70, 'x') + ".dmp";
  terminal.Queue({Key(TKeyCode::Enter)});
  ::MessageBox("Cannot read " + path + " now.", "Console", MB_OK | MB_ICONHAND);
  const TCellGrid& shown = terminal.screens.back();
  // The whole frame is on the screen.
  for (const char* corner : {"┌", "┐", "└", "┘"}) {
    EXPECT_NE(shown.Text().find(corner), std::string::npos) << shown.Text();
  }
  std::string text;
  for (int y = 0; y < shown.Height(); ++y) {
    const std::string row = Line(shown, y);
    const size_t left = row.find("│");
    const size_t right = row.rfind("│");
    if (left != std::string::npos && right != left) text += row.substr(left + 3, right - left - 3);
  }
  // Every character of the path is there, over several rows.
  std::string compact;
  for (char c : text) {
    if (c != ' ') compact += c;
  }
  EXPECT_NE(compact.find(std::string(30, 'x')), std::string::npos) << shown.Text();
  EXPECT_NE(compact.find("x.dmpnow."), std::string::npos) << shown.Text();
}

TEST_F(TerminalPresenterTest, AMessageOpenedByAFormIsDrawnOverIt) {
  LogonForm logon;
  int answer = 0;
  logon.ok.SetModalResult(mrNone);
  logon.ok.OnClick = [&](TControl&) {
    answer = MessageDlg("Really log on?", mtConfirmation, mbYesNoCancel, 0);
    logon.form.SetModalResult(mrOk);
  };
  terminal.Queue({Key(TKeyCode::Enter), Key(TKeyCode::Tab), Key(TKeyCode::Enter)});
  EXPECT_EQ(logon.form.ShowModal(), mrOk);
  EXPECT_EQ(answer, mrNo);
  // While the message was up, the form was still drawn beneath it.
  const std::string during = terminal.screens[2].Text();
  EXPECT_NE(during.find("Logon"), std::string::npos);
  EXPECT_NE(during.find("Really log on?"), std::string::npos);
}

TEST_F(TerminalPresenterTest, TheFolderBrowserAnswersTheChosenFolderOrNothing) {
  const TempDir dir;
  const std::string root = dir.Path().string();
  std::filesystem::create_directories(root + "/dumps");
  terminal.Queue({Key(TKeyCode::Down), Key(TKeyCode::Enter), Key(TKeyCode::Enter)});
  EXPECT_EQ(::BrowseForFolder("Pick the dumps", root), root + "/dumps");
  EXPECT_NE(terminal.screens.front().Text().find("Pick the dumps"), std::string::npos);
  terminal.Queue({Key(TKeyCode::Escape)});
  EXPECT_EQ(::BrowseForFolder("Pick the dumps", root), std::nullopt);
}

TEST_F(TerminalPresenterTest, AFormClosedWhileBeingShownIsNotRun) {
  LogonForm logon;
  logon.form.OnShow = [&](TControl&) { logon.form.SetModalResult(mrAbort); };
  EXPECT_EQ(logon.form.ShowModal(), mrAbort);
  EXPECT_TRUE(terminal.screens.empty());
}

}  // namespace
