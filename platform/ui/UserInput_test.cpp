#include "platform/ui/UserInput.h"

#include <gtest/gtest.h>

#include "platform/ui/ComboBox.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/RecordingPresenter.h"

namespace {

class UserInputTest : public ::testing::Test {
 protected:
  UserInputTest()
      : scope(presenter),
        panel(form.Add<TPanel>("Panel")),
        edit(form.Add<TEdit>(panel, "Edit")),
        other(form.Add<TEdit>("Other")) {
    other.OnExit = [this](TControl&) { events.push_back("exit Other"); };
    edit.OnChange = [this](TControl&) { events.push_back("change Edit"); };
    other.SetTabOrder(0);
  }
  // Runs `action` on the shown form; answers the reason it was refused.
  std::string Refusal(std::function<void()> action) {
    std::string reason;
    presenter.user = [&](TForm&) {
      try {
        action();
      } catch (const EUserInputError& e) {
        reason = e.Message();
      }
    };
    form.ShowModal();
    return reason;
  }
  TRecordingPresenter presenter;
  TPresenterScope scope;
  TForm form;
  TPanel& panel;
  TEdit& edit;
  TEdit& other;
  std::vector<std::string> events;
};

TEST_F(UserInputTest, TypingFocusesTheEditFirst) {
  EXPECT_EQ(Refusal([&] { UserSetText(edit, "x"); }), "");
  EXPECT_EQ(events, (std::vector<std::string>{"exit Other", "change Edit"}));
  EXPECT_EQ(form.ActiveControl(), &edit);
}

TEST_F(UserInputTest, AUserCannotReachHiddenDisabledOrReadOnlyControls) {
  edit.SetReadOnly(true);
  EXPECT_EQ(Refusal([&] { UserSetText(edit, "x"); }), "Edit is read-only");
  edit.SetReadOnly(false);
  panel.SetEnabled(false);
  EXPECT_EQ(Refusal([&] { UserSetText(edit, "x"); }), "Edit is disabled");
  panel.SetEnabled(true);
  panel.SetVisible(false);
  EXPECT_EQ(Refusal([&] { UserFocus(edit); }), "Edit is not visible");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(edit.Text(), "");
}

TEST_F(UserInputTest, NothingCanBeDoneToAFormThatIsNotShown) {
  EXPECT_THROW(UserSetText(edit, "x"), EUserInputError);
  EXPECT_THROW(UserPressEnter(form), EUserInputError);
  EXPECT_THROW(UserClose(form), EUserInputError);
  EXPECT_EQ(edit.Text(), "");
}

TEST_F(UserInputTest, EscapeNeedsACancelButtonAndAnswerAButtonOfThatResult) {
  EXPECT_EQ(Refusal([&] { UserPressEscape(form); }), "the form has no cancel button");
  EXPECT_EQ(Refusal([&] { UserAnswer(form, mrOk); }), "the form has no button answering 1");
  TButton& ok = form.Add<TButton>("OK");
  ok.SetModalResult(mrOk);
  presenter.user = [](TForm& f) { UserAnswer(f, mrOk); };
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(ok.Focused() || !form.Modal());
  EXPECT_EQ(form.ActiveControl(), &ok);
}

TEST_F(UserInputTest, TabWalksTheTabStops) {
  presenter.user = [&](TForm& f) {
    EXPECT_EQ(f.ActiveControl(), &other);
    UserPressTab(f, true);
    EXPECT_EQ(f.ActiveControl(), &edit);
    UserPressTab(f, true);
    EXPECT_EQ(f.ActiveControl(), &other);
    UserPressTab(f, false);
    EXPECT_EQ(f.ActiveControl(), &edit);
  };
  form.ShowModal();
}

}  // namespace
