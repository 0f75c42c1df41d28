#include "platform/ui/Form.h"

#include <gtest/gtest.h>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace {

// A presenter that runs a function on the shown form.
class FakePresenter : public IModalPresenter {
 public:
  std::function<TModalResult(TForm&)> run = [](TForm&) { return mrOk; };
  TModalResult ShowModal(TForm& form) override { return run(form); }
  int MessageBox(const std::string&, const std::string&, uint32_t) override { return IDOK; }
  std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

class FormTest : public ::testing::Test {
 protected:
  FormTest() : scope(presenter) {}
  FakePresenter presenter;
  TPresenterScope scope;
  std::vector<std::string> events;
  void Record(TWinControl& c) {
    c.OnEnter = [this](TControl& s) { events.push_back("enter " + s.Name()); };
    c.OnExit = [this](TControl& s) { events.push_back("exit " + s.Name()); };
  }
};

TEST_F(FormTest, ShowModalShowsFocusesAndAnswersThePresentersResult) {
  TForm form;
  TEdit& disabled = form.Add<TEdit>("Disabled");
  disabled.SetEnabled(false);
  TEdit& name = form.Add<TEdit>("Name");
  Record(name);
  form.OnShow = [&](TControl&) {
    events.push_back("show");
    EXPECT_TRUE(form.Visible());
  };
  presenter.run = [&](TForm& shown) {
    EXPECT_EQ(&shown, &form);
    EXPECT_TRUE(shown.Modal());
    EXPECT_TRUE(name.Focused());
    return mrYes;
  };
  EXPECT_EQ(form.ShowModal(), mrYes);
  EXPECT_EQ(form.ModalResult(), mrYes);
  EXPECT_FALSE(form.Modal());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(name.Focused());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "enter Name"}));
}

TEST_F(FormTest, APresetActiveControlIsFocusedWhenItCanBe) {
  TForm form;
  TEdit& first = form.Add<TEdit>("First");
  TEdit& second = form.Add<TEdit>("Second");
  form.SetActiveControl(&second);
  TWinControl* focused = nullptr;
  presenter.run = [&](TForm& f) {
    focused = f.ActiveControl();
    return mrOk;
  };
  form.ShowModal();
  EXPECT_EQ(focused, &second);
  second.SetVisible(false);
  form.ShowModal();
  EXPECT_EQ(focused, &first);
}

TEST_F(FormTest, AModalResultOfNoneFromThePresenterCountsAsCancel) {
  TForm form;
  form.SetModalResult(mrOk);  // a stale result is reset when shown
  presenter.run = [](TForm& f) {
    EXPECT_EQ(f.ModalResult(), mrNone);
    return mrNone;
  };
  EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(FormTest, AFormCannotBeShownTwiceAtOnce) {
  TForm form;
  presenter.run = [](TForm& f) {
    EXPECT_THROW(f.ShowModal(), EInvalidOperation);
    return mrOk;
  };
  EXPECT_EQ(form.ShowModal(), mrOk);
  presenter.run = [](TForm&) -> TModalResult { throw EInvalidOperation("presenter failed"); };
  EXPECT_THROW(form.ShowModal(), EInvalidOperation);
  EXPECT_FALSE(form.Modal());  // hidden again, and it can be shown again
  EXPECT_FALSE(form.Visible());
  presenter.run = [](TForm&) { return mrOk; };
  EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST_F(FormTest, FocusMovesWithExitBeforeEnterAndOnlyToFocusableControls) {
  TForm form;
  TEdit& a = form.Add<TEdit>("A");
  TEdit& b = form.Add<TEdit>("B");
  TEdit& off = form.Add<TEdit>("Off");
  off.SetEnabled(false);
  TForm other;
  TEdit& foreign = other.Add<TEdit>("Foreign");
  Record(a);
  Record(b);
  presenter.run = [&](TForm& f) {
    events.clear();
    b.SetFocus();
    EXPECT_THROW(f.SetActiveControl(&off), EInvalidOperation);
    EXPECT_THROW(f.SetActiveControl(&foreign), EInvalidOperation);
    EXPECT_EQ(f.ActiveControl(), &b);
    f.SelectNext(true);  // Off is skipped
    return mrOk;
  };
  form.ShowModal();
  EXPECT_EQ(events, (std::vector<std::string>{"exit A", "enter B", "exit B", "enter A"}));
  // Before showing, the active control is only remembered.
  events.clear();
  form.SetActiveControl(&off);
  EXPECT_TRUE(events.empty());
}

TEST_F(FormTest, FindNextControlWrapsAndSkipsWhatCannotTakeTheFocus) {
  TForm form;
  TButton& ok = form.Add<TButton>("OK");
  TPanel& panel = form.Add<TPanel>("Panel");
  TEdit& inPanel = form.Add<TEdit>(panel, "InPanel");
  TLabel& label = form.Add<TLabel>("Label");
  TEdit& last = form.Add<TEdit>("Last");
  (void)label;
  EXPECT_EQ(form.FindNextControl(nullptr, true), &ok);
  EXPECT_EQ(form.FindNextControl(&ok, true), &inPanel);  // the panel is no tab stop
  EXPECT_EQ(form.FindNextControl(&last, true), &ok);
  EXPECT_EQ(form.FindNextControl(&ok, false), &last);
  EXPECT_EQ(form.FindNextControl(nullptr, false), &last);
  panel.SetVisible(false);
  EXPECT_EQ(form.FindNextControl(&ok, true), &last);
  last.SetTabStop(false);
  EXPECT_EQ(form.FindNextControl(&ok, true), nullptr);  // none other
  EXPECT_EQ(form.FindNextControl(nullptr, true), &ok);
}

TEST_F(FormTest, DefaultAndCancelButtonsAreTheFirstVisibleOnes) {
  TForm form;
  EXPECT_EQ(form.DefaultButton(), nullptr);
  TButton& hidden = form.Add<TButton>("Hidden");
  hidden.SetDefault(true);
  hidden.SetVisible(false);
  TButton& ok = form.Add<TButton>("OK");
  ok.SetDefault(true);
  TButton& cancel = form.Add<TButton>("Cancel");
  cancel.SetCancel(true);
  EXPECT_EQ(form.DefaultButton(), &ok);
  EXPECT_EQ(form.CancelButton(), &cancel);
  ok.SetEnabled(false);  // a disabled default button is still the default one
  EXPECT_EQ(form.DefaultButton(), &ok);
}

TEST_F(FormTest, ClientSizeExcludesTheFrame) {
  TForm form;
  form.SetBorderStyle(bsDialog);
  form.SetClientWidth(247);
  form.SetClientHeight(223);
  EXPECT_EQ(form.Width(), 247 + 2 * kCellWidth);
  EXPECT_EQ(form.Height(), 223 + 2 * kCellHeight);
  EXPECT_EQ(form.ClientRect(), (TRect{0, 0, 247, 223}));
  form.SetBorderStyle(bsNone);
  EXPECT_EQ(form.ClientWidth(), 247);
  EXPECT_EQ(form.Width(), 247);
}

TEST_F(FormTest, ScreenCentreIsAppliedWhenShown) {
  const int width = Screen().Width(), height = Screen().Height();
  Screen().SetSize(640, 400);
  TForm form;
  form.SetBounds(5, 5, 200, 100);
  form.SetPosition(poScreenCenter);
  form.ShowModal();
  EXPECT_EQ(form.Left(), 220);
  EXPECT_EQ(form.Top(), 150);
  form.SetBounds(0, 0, 1000, 1000);  // larger than the screen: kept on it
  form.ShowModal();
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Top(), 0);
  form.SetPosition(poDesigned);
  form.SetBounds(7, 9, 10, 10);
  form.ShowModal();
  EXPECT_EQ(form.Left(), 7);
  Screen().SetSize(width, height);
}

TEST_F(FormTest, TheScreenKnowsEveryExistingForm) {
  const int before = Screen().FormCount();
  auto form = std::make_unique<TForm>();
  ASSERT_EQ(Screen().FormCount(), before + 1);
  EXPECT_EQ(&Screen().Forms(before), form.get());
  form.reset();
  EXPECT_EQ(Screen().FormCount(), before);
}

TEST_F(FormTest, CloseCancelsOnlyAModalForm) {
  TForm form;
  form.Close();
  EXPECT_EQ(form.ModalResult(), mrNone);
  presenter.run = [](TForm& f) {
    f.Close();
    return f.ModalResult();
  };
  EXPECT_EQ(form.ShowModal(), mrCancel);
}

}  // namespace
