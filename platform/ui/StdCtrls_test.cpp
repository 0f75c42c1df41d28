#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"

namespace {

TEST(EditTest, OnChangeFiresForEveryChangeByCodeOrUser) {
  TEdit edit;
  std::vector<std::string> seen;
  edit.OnChange = [&](TControl& sender) { seen.push_back(static_cast<TEdit&>(sender).Text()); };
  edit.SetText("a");
  edit.SetText("a");  // no change, no event
  edit.TypeText("ab");
  edit.SetText("");
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "ab", ""}));
}

TEST(EditTest, MaxLengthHoldsTheUserOnlyAndCountsCodePoints) {
  TEdit edit;
  edit.SetMaxLength(3);
  edit.TypeText("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");  // äöüß
  EXPECT_EQ(edit.Text(), "\xC3\xA4\xC3\xB6\xC3\xBC");
  edit.TypeText("abc");
  EXPECT_EQ(edit.Text(), "abc");
  edit.SetText("abcdef");
  EXPECT_EQ(edit.Text(), "abcdef");
  edit.SetMaxLength(-1);
  EXPECT_EQ(edit.MaxLength(), 0);
  edit.TypeText("abcdefgh");
  EXPECT_EQ(edit.Text(), "abcdefgh");
}

TEST(EditTest, PasswordCharacterMasksEachCodePoint) {
  TEdit edit;
  edit.SetText("p\xC3\xA4ss");
  EXPECT_EQ(edit.DisplayText(), "p\xC3\xA4ss");
  edit.SetPasswordChar('*');
  EXPECT_EQ(edit.DisplayText(), "****");
  EXPECT_EQ(edit.Text(), "p\xC3\xA4ss");
  EXPECT_EQ(edit.StateText(), "text '****'");
}

TEST(EditTest, DefaultsOfAnEdit) {
  TEdit edit;
  EXPECT_EQ(edit.Color(), clWindow);
  EXPECT_TRUE(edit.TabStop());
  EXPECT_EQ(edit.Width(), 121);
  EXPECT_EQ(edit.Height(), 21);
  EXPECT_FALSE(edit.ReadOnly());
}

TEST(ButtonTest, ClickHandsTheModalResultToTheFormBeforeOnClick) {
  TForm form;
  TButton& ok = form.Add<TButton>("OK");
  ok.SetModalResult(mrOk);
  TModalResult seenInHandler = -1;
  ok.OnClick = [&](TControl&) { seenInHandler = form.ModalResult(); };
  ok.Click();
  EXPECT_EQ(seenInHandler, mrOk);
  EXPECT_EQ(form.ModalResult(), mrOk);

  // A handler may keep the form open by resetting the result.
  form.SetModalResult(mrNone);
  ok.OnClick = [&](TControl&) { form.SetModalResult(mrNone); };
  ok.Click();
  EXPECT_EQ(form.ModalResult(), mrNone);
}

TEST(ButtonTest, AButtonWithoutModalResultLeavesTheFormsResult) {
  TForm form;
  TPanel& panel = form.Add<TPanel>("Panel");
  TButton& apply = form.Add<TButton>(panel, "Apply");
  int clicks = 0;
  apply.OnClick = [&](TControl& sender) {
    EXPECT_EQ(&sender, &apply);
    ++clicks;
  };
  form.SetModalResult(mrRetry);
  apply.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.ModalResult(), mrRetry);
}

TEST(RadioButtonTest, CheckingOneUnchecksTheOthersOfItsParentOnly) {
  TForm form;
  TGroupBox& group = form.Add<TGroupBox>("Group");
  TRadioButton& a = form.Add<TRadioButton>(group, "A");
  TRadioButton& b = form.Add<TRadioButton>(group, "B");
  TRadioButton& c = form.Add<TRadioButton>(group, "C");
  TRadioButton& outside = form.Add<TRadioButton>("Outside");
  outside.SetChecked(true);
  a.SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(c.Checked());
  EXPECT_TRUE(outside.Checked());
  // Only the checked one is a tab stop.
  EXPECT_FALSE(a.TabStop());
  EXPECT_TRUE(b.TabStop());
  b.SetChecked(false);  // unchecking leaves none checked
  EXPECT_FALSE(a.Checked() || b.Checked() || c.Checked());
}

TEST(RadioButtonTest, OnClickFiresWhenARadioButtonBecomesChecked) {
  TForm form;
  TRadioButton& a = form.Add<TRadioButton>("A");
  TRadioButton& b = form.Add<TRadioButton>("B");
  std::vector<std::string> clicks;
  a.OnClick = b.OnClick = [&](TControl& sender) { clicks.push_back(sender.Name()); };
  a.SetChecked(true);
  a.SetChecked(true);
  b.SetChecked(true);  // a is unchecked silently
  b.SetChecked(false);
  EXPECT_EQ(clicks, (std::vector<std::string>{"A", "B"}));
}

TEST(LabelTest, AutoSizeFollowsTheCaption) {
  TLabel label;
  EXPECT_EQ(label.Height(), kCellHeight);  // an empty caption keeps one line
  EXPECT_EQ(label.Width(), kCellWidth);
  label.SetCaption("Name:");
  EXPECT_EQ(label.Width(), 5 * kCellWidth);
  EXPECT_EQ(label.Height(), kCellHeight);
  label.SetAutoSize(false);
  label.SetCaption("A longer caption");
  EXPECT_EQ(label.Width(), 5 * kCellWidth);
}

TEST(LabelTest, WordWrapKeepsTheWidthAndGrowsDown) {
  TLabel label;
  label.SetWidth(9 * kCellWidth);
  label.SetWordWrap(true);
  label.SetCaption("one two three");
  EXPECT_EQ(label.Width(), 9 * kCellWidth);
  EXPECT_EQ(label.Height(), 2 * kCellHeight);
}

TEST(LabelTest, FocusControlMustBeOnTheSameForm) {
  TForm form, other;
  TLabel& label = form.Add<TLabel>("NameLabel");
  TEdit& edit = form.Add<TEdit>("NameEdit");
  TEdit& foreign = other.Add<TEdit>("Foreign");
  label.SetFocusControl(&edit);
  EXPECT_EQ(label.FocusControl(), &edit);
  EXPECT_THROW(label.SetFocusControl(&foreign), EInvalidOperation);
  EXPECT_EQ(label.FocusControl(), &edit);
  label.SetFocusControl(nullptr);
  EXPECT_EQ(label.FocusControl(), nullptr);
}

}  // namespace
