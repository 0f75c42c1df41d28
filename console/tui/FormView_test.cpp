#include "console/tui/FormView.h"

#include <gtest/gtest.h>

#include <utility>

#include "console/tui/TestSupport_test.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/testing/RecordingPresenter.h"

namespace {

class FormViewTest : public ::testing::Test {
 protected:
  // Draws `form` while it is shown, after `prepare`.
  TCellGrid Shown(TForm& form, int width, int height, std::function<void()> prepare = {},
                  TFormViewState state = {}) {
    TCellGrid grid(width, height);
    presenter.user = [&](TForm&) {
      if (prepare) prepare();
      DrawForm(grid, TFormLayout(form, width, height), state);
      form.SetModalResult(mrCancel);
    };
    form.ShowModal();
    return grid;
  }
  TRecordingPresenter presenter;
  TPresenterScope scope{presenter};
};

TEST_F(FormViewTest, ControlsLandOnTheCellsOfTheirPixelBounds) {
  LogonForm logon;
  logon.user.SetText("alice");
  logon.password.SetText("sécret");
  const TCellGrid grid = Shown(
      logon.form, 24, 9, [&] { logon.password.SetFocus(); }, TFormViewState{6});
  // The field moved off its label by a cell, and the form grew by one so
  // that the field does not touch the frame.
  EXPECT_EQ(grid.Text(),
            "┌ Logon ──────────────┐\n"
            "│ User: [alice      ] │\n"
            "│ Password: [***** ]  │\n"
            "│                     │\n"
            "│                     │\n"
            "│  <  OK  > [Cancel]  │\n"
            "│                     │\n"
            "└─────────────────────┘\n"
            "\n");
  // The caret follows the masked text, which scrolls to leave a cell for
  // it; the focused field and the default button are marked.
  EXPECT_EQ(grid.Cursor(), (TCellPoint{18, 2}));
  EXPECT_EQ(grid.StyleRow(2).substr(12, 8), "EEEEEEEE");
  EXPECT_EQ(grid.StyleRow(1).substr(8, 13), "eeeeeeeeeeeee");
}

TEST_F(FormViewTest, AFocusedLongTextScrollsToKeepTheCaretInside) {
  LogonForm logon;
  logon.user.SetText("a-very-long-user-name");
  const TCellGrid grid = Shown(
      logon.form, 24, 9, [&] { logon.user.SetFocus(); }, TFormViewState{21});
  EXPECT_EQ(Line(grid, 1), "│ User: [-user-name ] │");
  EXPECT_EQ(grid.Cursor(), (TCellPoint{19, 1}));
  // Unfocused, the same text shows from its start.
  const TCellGrid other = Shown(logon.form, 24, 9, [&] { logon.password.SetFocus(); });
  EXPECT_EQ(Line(other, 1), "│ User: [a-very-long] │");
}

TEST_F(FormViewTest, ACentredFormIsCentredAndAnyFormIsKeptOnTheGrid) {
  LogonForm logon;
  logon.form.SetPosition(poScreenCenter);
  EXPECT_EQ(TFormLayout(logon.form, 40, 20).FormRect(), (TCellRect{8, 6, 23, 8}));
  logon.form.SetPosition(poDesigned);
  logon.form.SetBounds(5000, 5000, logon.form.Width(), logon.form.Height());
  EXPECT_EQ(TFormLayout(logon.form, 40, 20).FormRect(), (TCellRect{17, 12, 23, 8}));
  logon.form.SetBounds(-80, -32, logon.form.Width(), logon.form.Height());
  EXPECT_EQ(TFormLayout(logon.form, 40, 20).FormRect(), (TCellRect{0, 0, 23, 8}));
  EXPECT_TRUE(TFormLayout(logon.form, 23, 8).Fits());
  // A grid smaller than the form keeps the form's top left corner, and the
  // form does not fit.
  const TFormLayout small(logon.form, 10, 4);
  EXPECT_EQ(small.FormRect(), (TCellRect{0, 0, 23, 8}));
  EXPECT_FALSE(small.Fits());
  EXPECT_EQ(LayoutProblems(small), std::vector<std::string>{"needs 23x8 cells"});
}

TEST_F(FormViewTest, GroupBoxesFrameTheirRadioButtons) {
  TForm form;
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 160, 80);
  auto& box = form.Add<TGroupBox>("Access");
  box.SetCaption("Access");
  box.SetBounds(0, 0, 160, 80);
  auto& first = form.Add<TRadioButton>(box, "Private");
  first.SetCaption("Private");
  first.SetBounds(8, 16, 120, 17);
  auto& second = form.Add<TRadioButton>(box, "Public");
  second.SetCaption("Public");
  second.SetBounds(8, 34, 120, 17);
  second.SetChecked(true);
  const TCellGrid grid = Shown(form, 20, 5);
  EXPECT_EQ(grid.Text(),
            "┌ Access ──────────┐\n"
            "│( ) Private       │\n"
            "│(*) Public        │\n"
            "│                  │\n"
            "└──────────────────┘\n");
  // The checked one is the tab stop and has the focus: its mark is lit.
  EXPECT_EQ(grid.StyleRow(2).substr(1, 4), "BBBw");
  EXPECT_EQ(grid.Cursor(), (TCellPoint{2, 2}));
}

TEST_F(FormViewTest, HiddenControlsAndTheirChildrenAreLeftOut) {
  TForm form;
  form.SetBorderStyle(bsNone);
  auto& panel = form.Add<TPanel>("Panel");
  panel.SetBevelOuter(bvNone);
  panel.SetBounds(16, 16, 200, 48);
  auto& inner = form.Add<TEdit>(panel, "Inner");
  inner.SetBounds(8, 0, 80, 21);
  auto& hidden = form.Add<TPanel>("Hidden");
  hidden.SetBounds(0, 100, 100, 40);
  hidden.SetVisible(false);
  auto& lost = form.Add<TButton>(hidden, "Lost");
  lost.SetBounds(0, 0, 80, 25);

  const TFormLayout layout(form, 80, 25);
  EXPECT_EQ(layout.RectOf(inner), (TCellRect{3, 1, 10, 1}));
  EXPECT_EQ(layout.ControlAt({5, 1}), &inner);
  EXPECT_EQ(layout.ControlAt({20, 2}), &panel);
  EXPECT_EQ(layout.ControlAt({0, 0}), nullptr);
  EXPECT_FALSE(layout.RectOf(hidden));
  EXPECT_FALSE(layout.RectOf(lost));
  EXPECT_EQ(layout.Controls().size(), 2u);
}

TEST_F(FormViewTest, ADroppedListOpensBelowOrAboveItsBox) {
  TForm form;
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 320, 320);
  auto& combo = form.Add<TComboBox>("Kind");
  combo.SetStyle(csDropDownList);
  combo.SetBounds(0, 0, 80, 21);
  for (const char* item : {"one", "two", "three"}) combo.Items().Add(item);
  EXPECT_EQ(TFormLayout(form, 40, 20).DropRect(combo), (TCellRect{0, 1, 10, 3}));
  for (int i = 0; i < 20; ++i) combo.Items().Add("more");
  EXPECT_EQ(TFormLayout(form, 40, 20).DropRect(combo).Height, TFormLayout::kDropRows);
  combo.SetTop(16 * 17);  // row 17: three rows below, seventeen above
  EXPECT_EQ(TFormLayout(form, 40, 20).DropRect(combo), (TCellRect{0, 9, 10, 8}));

  TFormViewState state{0, &combo, 1, 0};
  form.SetBounds(0, 0, 96, 160);  // the 12 x 10 cells drawn on
  combo.SetTop(0);
  combo.SetItemIndex(0);
  const TCellGrid grid = Shown(form, 12, 10, {}, state);
  EXPECT_EQ(grid.Row(0), "[one    v]  ");
  EXPECT_EQ(grid.Row(1), " one        ");
  EXPECT_EQ(grid.Row(2), " two        ");
  EXPECT_EQ(grid.StyleRow(2).substr(0, 10), "HHHHHHHHHH");
  EXPECT_FALSE(grid.Cursor());
}

TEST_F(FormViewTest, DisabledControlsAndWrappedLabelsDrawAsSuch) {
  TForm form;
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 96, 64);
  auto& label = form.Add<TLabel>("Text");
  label.SetWordWrap(true);
  label.SetAutoSize(false);
  label.SetCaption("Cannot reach the server now");
  label.SetBounds(0, 0, 96, 48);
  label.SetAlignment(TTextAlignment::Center);
  auto& button = form.Add<TButton>("Retry");
  button.SetCaption("Retry");
  button.SetBounds(0, 48, 80, 16);
  button.SetEnabled(false);
  const TCellGrid grid = Shown(form, 12, 4);
  EXPECT_EQ(grid.Text(), "Cannot reach\n the server\n    now\n[ Retry  ]\n");
  EXPECT_EQ(grid.StyleRow(3).substr(0, 10), "dddddddddd");
}

// A dialog laid out for the platform's pixels: two 75-pixel buttons five
// pixels apart, two pixels short of the client's right edge. On cells they
// would touch each other and the frame.
TEST_F(FormViewTest, ControlsSideBySideKeepABlankCellAndTheFrameStaysClear) {
  TForm form;
  form.SetCaption("Load");
  form.SetBorderStyle(bsDialog);
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(247);
  form.SetClientHeight(223);
  auto& label = form.Add<TLabel>("ServerLabel");
  label.SetCaption("Server:");
  label.SetBounds(40, 2, 56, 16);
  auto& server = form.Add<TComboBox>("ServerBox");
  server.SetBounds(96, 0, 150, 21);  // right behind its label, to the edge
  auto& ok = form.Add<TButton>("OKBtn");
  ok.SetCaption("OK");
  ok.SetBounds(90, 196, 75, 25);
  ok.SetDefault(true);
  auto& cancel = form.Add<TButton>("CancelBtn");
  cancel.SetCaption("Cancel");
  cancel.SetBounds(170, 196, 75, 25);

  for (const auto& [width, height] : {std::pair{80, 24}, std::pair{130, 40}}) {
    const TFormLayout layout(form, width, height);
    EXPECT_TRUE(LayoutProblems(layout).empty()) << LayoutProblems(layout)[0];
    const TCellRect f = layout.FormRect();
    EXPECT_EQ(f.Width, 35);  // 31 cells of client, one more for the gap, one before the frame
    TCellGrid grid(width, height);
    DrawForm(grid, layout, {});
    EXPECT_EQ(Line(grid, f.Top + 14).substr(size_t(f.Left)),
              "│           <   OK   > [ Cancel ] │");
    EXPECT_EQ(Line(grid, f.Top + 1).substr(size_t(f.Left)),
              "│     Server: [                v] │");
  }
}

TEST_F(FormViewTest, LayoutProblemsNameWhatOverlapsOrLiesOnTheFrame) {
  TForm form;
  form.SetCaption("Broken");
  form.SetBorderStyle(bsDialog);
  form.SetClientWidth(160);
  form.SetClientHeight(96);
  auto& first = form.Add<TPanel>("First");
  first.SetBounds(0, 0, 80, 48);
  auto& second = form.Add<TPanel>("Second");
  second.SetBounds(64, 32, 80, 48);  // over the corner of the first
  auto& outside = form.Add<TEdit>("Outside");
  outside.SetBounds(-24, 80, 40, 21);
  EXPECT_EQ(LayoutProblems(TFormLayout(form, 80, 24)),
            (std::vector<std::string>{"First overlaps Second", "Outside lies on the frame"}));
  // A nested control may lie inside its container.
  auto& inner = form.Add<TEdit>(second, "Inner");
  inner.SetBounds(8, 8, 40, 21);
  EXPECT_EQ(LayoutProblems(TFormLayout(form, 80, 24)).size(), 2u);
}

}  // namespace
