#include "console/tui/FormSession.h"

#include <gtest/gtest.h>

#include "console/tui/TestSupport_test.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/testing/RecordingPresenter.h"

namespace {

class FormSessionTest : public ::testing::Test {
 protected:
  FormSessionTest() {
    logon.user.OnChange = [this](TControl&) { changes.push_back(logon.user.Text()); };
    combo.SetStyle(csDropDownList);
    combo.SetBounds(16, 40, 80, 21);
    for (const char* item : {"Local", "Remote", "Rescue"}) combo.Items().Add(item);
    combo.OnChange = [this](TControl&) { changes.push_back("pick " + combo.Text()); };
  }
  // Shows the form and presses `keys` on it; answers the form's result.
  // `check` runs after each key with whether it was handled.
  TModalResult Press(std::vector<TKey> keys, std::function<void(bool)> check = {}) {
    presenter.user = [&](TForm& form) {
      TFormSession session(form);
      for (const TKey& key : keys) {
        const bool handled = session.HandleKey(key, TFormLayout(form, 40, 12));
        if (!handled) refusals.push_back(session.Refusal());
        caret = session.ViewState().Caret;
        dropped = session.ViewState().Dropped != nullptr;
        if (check) check(handled);
        if (form.ModalResult() != mrNone) return;
      }
    };
    return logon.form.ShowModal();
  }
  static std::vector<TKey> Typed(const std::string& text) {
    std::vector<TKey> keys;
    for (char c : text) keys.push_back(TKey::Char(std::string(1, c)));
    return keys;
  }

  TRecordingPresenter presenter;
  TPresenterScope scope{presenter};
  LogonForm logon;
  TComboBox& combo = logon.form.Add<TComboBox>("Kind");
  std::vector<std::string> changes;
  std::vector<std::string> refusals;
  int caret = -1;
  bool dropped = false;
};

TEST_F(FormSessionTest, TypingEditsAtTheCaretThroughTheUsersEntryPoint) {
  logon.user.SetMaxLength(5);
  std::vector<TKey> keys = Typed("bob");
  keys.insert(keys.end(),
              {TKey::Named(TKeyCode::Home), TKey::Char("é"), TKey::Named(TKeyCode::Right),
               TKey::Named(TKeyCode::Delete), TKey::Named(TKeyCode::End), TKey::Char("x"),
               TKey::Char("y"), TKey::Char("z")});
  Press(keys);
  // MaxLength holds the user: the last key changes nothing.
  EXPECT_EQ(logon.user.Text(), "ébbxy");
  EXPECT_EQ(changes, (std::vector<std::string>{"b", "bo", "bob", "ébob", "ébb", "ébbx", "ébbxy"}));
  EXPECT_EQ(caret, 5);
}

TEST_F(FormSessionTest, EditingKeysAtTheEndsOfTheTextDoNothing) {
  logon.user.SetText("ab");
  changes.clear();
  std::vector<bool> handled;
  Press({TKey::Named(TKeyCode::Delete), TKey::Named(TKeyCode::Right), TKey::Named(TKeyCode::Home),
         TKey::Named(TKeyCode::Backspace), TKey::Named(TKeyCode::Left), TKey::Ctrl('u'),
         TKey::Ctrl('u')},
        [&](bool h) { handled.push_back(h); });
  EXPECT_EQ(handled, (std::vector<bool>{false, false, true, false, false, true, true}));
  EXPECT_EQ(changes, (std::vector<std::string>{""}));
}

TEST_F(FormSessionTest, ARefusedKeyTellsWhy) {
  logon.user.SetReadOnly(true);
  logon.ok.SetEnabled(false);
  Press(
      {TKey::Char("x"), TKey::Named(TKeyCode::Enter), TKey::Named(TKeyCode::Tab), TKey::Char("p")});
  ASSERT_EQ(refusals.size(), 2u);
  EXPECT_EQ(refusals[0], "UserEdit is read-only");
  EXPECT_EQ(refusals[1], "OK is disabled");
  EXPECT_EQ(logon.password.Text(), "p");
}

TEST_F(FormSessionTest, EnterAndEscapeAnswerTheFormsButtons) {
  EXPECT_EQ(Press({TKey::Named(TKeyCode::Enter)}), mrOk);
  EXPECT_EQ(Press({TKey::Named(TKeyCode::Escape)}), mrCancel);
  // Enter on a focused button clicks that button, not the default one.
  logon.cancel.SetModalResult(mrAbort);
  logon.form.SetActiveControl(&logon.user);
  EXPECT_EQ(Press({TKey::Named(TKeyCode::BackTab), TKey::Named(TKeyCode::BackTab),
                   TKey::Named(TKeyCode::Enter)}),
            mrAbort);
  // Without a cancel button, Escape is the close box.
  logon.cancel.SetCancel(false);
  EXPECT_EQ(Press({TKey::Named(TKeyCode::Escape)}), mrCancel);
}

TEST_F(FormSessionTest, TabWalksTheTabStopsBothWays) {
  std::vector<std::string> focus;
  auto record = [&](bool) { focus.push_back(logon.form.ActiveControl()->Name()); };
  Press({TKey::Named(TKeyCode::Tab), TKey::Named(TKeyCode::Tab), TKey::Named(TKeyCode::Tab),
         TKey::Named(TKeyCode::Tab), TKey::Named(TKeyCode::Tab), TKey::Named(TKeyCode::BackTab)},
        record);
  EXPECT_EQ(focus,
            (std::vector<std::string>{"PasswordEdit", "OK", "Cancel", "Kind", "UserEdit", "Kind"}));
}

TEST_F(FormSessionTest, ArrowsPickTheNeighbouringItemsOfADropDownList) {
  combo.SetTabOrder(0);
  std::vector<bool> handled;
  Press({TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Down),
         TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Up), TKey::Char("l"), TKey::Char("z")},
        [&](bool h) { handled.push_back(h); });
  // Down from no selection picks the first item; the last one stays.
  EXPECT_EQ(changes, (std::vector<std::string>{"pick Local", "pick Remote", "pick Rescue",
                                               "pick Rescue", "pick Remote", "pick Local"}));
  EXPECT_EQ(handled.back(), false);
}

TEST_F(FormSessionTest, AnOpenListMovesItsHighlightAndPicksOnEnter) {
  combo.SetTabOrder(0);
  combo.SetItemIndex(1);
  std::vector<bool> open;
  EXPECT_EQ(Press({TKey::Char(" "), TKey::Named(TKeyCode::Down), TKey::Named(TKeyCode::Escape),
                   TKey::F(4), TKey::Named(TKeyCode::Home), TKey::Char("r"),
                   TKey::Named(TKeyCode::Enter)},
                  [&](bool) { open.push_back(dropped); }),
            mrCancel);
  EXPECT_EQ(open, (std::vector<bool>{true, true, false, true, true, true, false}));
  // Escape closed the list without a pick (and left the form open); Enter
  // picked the highlighted item without pressing the default button.
  EXPECT_EQ(changes, (std::vector<std::string>{"pick Remote"}));
}

TEST_F(FormSessionTest, AClickInTheOpenListPicksAndAClickElsewhereClosesIt) {
  // The list of the combo box at cells (3, 4) opens on rows 5 .. 7.
  Press({TKey::Click(4, 4), TKey::Click(5, 7)});
  EXPECT_EQ(changes, (std::vector<std::string>{"pick Rescue"}));
  EXPECT_FALSE(dropped);
  changes.clear();
  // A click on Cancel while the list is open closes it and clicks Cancel.
  EXPECT_EQ(Press({TKey::Click(4, 4), TKey::Click(14, 5)}), mrCancel);
  EXPECT_TRUE(changes.empty());
}

TEST_F(FormSessionTest, ClicksFocusAndPressTheControls) {
  logon.password.SetText("secret");
  // The password edit starts at cell 12 of row 2: the caret goes where the
  // click was.
  Press({TKey::Click(15, 2)});
  EXPECT_EQ(logon.form.ActiveControl(), &logon.password);
  EXPECT_EQ(caret, 2);
  // A click on a label focuses its control; a right click does nothing.
  std::vector<bool> handled;
  Press({TKey::Click(3, 1), TKey::Click(14, 5, TMouseButton::Right), TKey::Click(0, 11)},
        [&](bool h) { handled.push_back(h); });
  EXPECT_EQ(handled, (std::vector<bool>{true, false, false}));
  EXPECT_EQ(logon.form.ActiveControl(), &logon.user);
  EXPECT_EQ(Press({TKey::Click(14, 5)}), mrCancel);
}

TEST_F(FormSessionTest, RadioArrowsCheckTheNextButtonOfTheGroup) {
  TForm form;
  auto& first = form.Add<TRadioButton>("First");
  auto& second = form.Add<TRadioButton>("Second");
  auto& third = form.Add<TRadioButton>("Third");
  third.SetEnabled(false);
  first.SetChecked(true);
  std::vector<std::string> checked;
  presenter.user = [&](TForm& shown) {
    TFormSession session(shown);
    for (TKeyCode code : {TKeyCode::Down, TKeyCode::Down, TKeyCode::Up, TKeyCode::Left}) {
      session.HandleKey(TKey::Named(code), TFormLayout(shown, 40, 20));
      checked.push_back(first.Checked() ? "First" : second.Checked() ? "Second" : "Third");
    }
    session.HandleKey(TKey::Char(" "), TFormLayout(shown, 40, 20));
    shown.SetModalResult(mrOk);
  };
  form.ShowModal();
  // The disabled third button is passed over; the group wraps around.
  EXPECT_EQ(checked, (std::vector<std::string>{"Second", "First", "Second", "First"}));
  EXPECT_TRUE(first.Checked());
}

}  // namespace
