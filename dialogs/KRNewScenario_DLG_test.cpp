#include "dialogs/KRNewScenario_DLG.h"

#include <gtest/gtest.h>

#include "dialogs/KRDialogTestSupport.h"

namespace {

const std::vector<std::string> kScenarios = {"Plan 2025", "Budget", "What if"};

TEST(NewScenarioForm, ControlsTextsAndPlaces) {
  TKRNewScenarioDlg form;
  const auto& panel = ControlOf<TPanel>(form, "ServerPanel");
  EXPECT_EQ(panel.Height(), 216);

  struct Row {
    const char* label;
    const char* text;
    const char* control;
    TRect labelAt;  // left, top only
    TRect bounds;
  };
  const Row rows[] = {
      {"NameLabel", "Scenario Name:", "NameEdit", {4, 3}, {4, 18, 293, 39}},
      {"ParentScenarioLabel",
       "Parent Scenario:",
       "ParentScenarioComboBox",
       {4, 49},
       {4, 64, 293, 85}},
      {"DescriptionLabel", "Description:", "DescriptionEdit", {4, 91}, {4, 106, 293, 127}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    const auto& label = ControlOf<TKRLabel>(form, row.label);
    const auto& control = ControlOf<TWinControl>(form, row.control);
    EXPECT_EQ(label.Caption(), row.text);
    EXPECT_EQ(label.FocusControl(), &control);
    EXPECT_EQ(label.Left(), row.labelAt.Left);
    EXPECT_EQ(label.Top(), row.labelAt.Top);
    EXPECT_EQ(control.BoundsRect(), row.bounds);
    EXPECT_EQ(control.Parent(), &panel);
  }
  EXPECT_EQ(ControlOf<TComboBox>(form, "ParentScenarioComboBox").Style(), csDropDown);

  const auto& access = ControlOf<TGroupBox>(form, "AccessGroupBox");
  EXPECT_EQ(access.Caption(), "Access");
  EXPECT_EQ(access.BoundsRect(), (TRect{4, 134, 293, 212}));
  struct Radio {
    const char* name;
    const char* caption;
    int top;
    bool checked;
  };
  for (const Radio& r :
       {Radio{"PrivateRadioButton", "Private", 16, false},
        Radio{"RestrictedRadioButton", "Restricted (only owner can edit)", 34, false},
        Radio{"PublicRadioButton", "Public", 54, true}}) {
    SCOPED_TRACE(r.name);
    const auto& radio = ControlOf<TRadioButton>(form, r.name);
    EXPECT_EQ(radio.Caption(), r.caption);
    EXPECT_EQ(radio.Parent(), &access);
    EXPECT_EQ(radio.BoundsRect(), (TRect{8, r.top, 282, r.top + 17}));
    EXPECT_EQ(radio.Checked(), r.checked);
  }
}

TEST(NewScenarioForm, TabOrderRunsThroughTheFieldsThenTheButtons) {
  TKRNewScenarioDlg form;
  form.SetKnownNames(&kScenarios);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Create Scenario'
    expect NameEdit focused
    set NameEdit to New; select ParentScenarioComboBox 'Budget'; set DescriptionEdit to d
    focus NameEdit
    press tab; expect ParentScenarioComboBox focused
    press tab; expect DescriptionEdit focused
    press tab; expect PublicRadioButton focused
    press tab; expect OKBtn focused
    press tab; expect CancelBtn focused
    press tab; expect NameEdit focused
    press escape)"),
            mrCancel);
}

TEST(NewScenarioForm, ShowingListsTheKnownScenariosInOrder) {
  TKRNewScenarioDlg form;
  form.SetKnownNames(&kScenarios);
  EXPECT_EQ(ShowWithScript(form,
                           "expect form 'Create Scenario'; expect ParentScenarioComboBox "
                           "items 3; close"),
            mrCancel);
  const auto& box = ControlOf<TComboBox>(form, "ParentScenarioComboBox");
  ASSERT_EQ(box.Items().Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(box.Items()[i], kScenarios[size_t(i)]);
  EXPECT_EQ(box.ItemIndex(), -1);

  TKRNewScenarioDlg none;
  EXPECT_EQ(ShowWithScript(none, R"(
    expect form 'Create Scenario'
    expect ParentScenarioComboBox items 0
    set NameEdit to New; set ParentScenarioComboBox to Budget; set DescriptionEdit to d
    expect OKBtn disabled
    close)"),
            mrCancel);
}

// Choosing a parent does not re-evaluate OK; the next edit of the name or
// the description does.
TEST(NewScenarioForm, OkWaitsForAnEditAfterTheParentIsChosen) {
  TKRNewScenarioDlg form;
  form.SetKnownNames(&kScenarios);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Create Scenario'
    set NameEdit to 'Q3 plan'; expect OKBtn disabled
    select ParentScenarioComboBox 'What if'; expect OKBtn disabled
    set NameEdit to 'Q3 plan 2'; expect OKBtn enabled
    set ParentScenarioComboBox to 'Nothing like it'
    expect OKBtn enabled
    set DescriptionEdit to 'second try'; expect OKBtn disabled
    set ParentScenarioComboBox to 'budget'
    set DescriptionEdit to 'third try'; expect OKBtn enabled
    set NameEdit to 'PLAN 2025'; expect OKBtn disabled
    set NameEdit to ''; expect OKBtn disabled
    set NameEdit to ' '; expect OKBtn enabled
    check PrivateRadioButton
    click OKBtn)"),
            mrOk);
  EXPECT_EQ(form.NewName(), " ");
  EXPECT_EQ(form.GetParentScenario(), "budget");  // the typed text, as it stands
  EXPECT_EQ(form.GetDescription(), "third try");
  EXPECT_EQ(form.GetVisibility(), 1);
}

TEST(NewScenarioForm, VisibilityFollowsTheCheckedAccess) {
  TKRNewScenarioDlg form;
  EXPECT_EQ(form.GetVisibility(), 3);
  ControlOf<TRadioButton>(form, "RestrictedRadioButton").SetChecked(true);
  EXPECT_EQ(form.GetVisibility(), 2);
  ControlOf<TRadioButton>(form, "PrivateRadioButton").SetChecked(true);
  EXPECT_EQ(form.GetVisibility(), 1);
  ControlOf<TRadioButton>(form, "PublicRadioButton").SetChecked(true);
  EXPECT_EQ(form.GetVisibility(), 3);
  ControlOf<TRadioButton>(form, "PublicRadioButton").SetChecked(false);
  EXPECT_EQ(form.GetVisibility(), 0);
}

}  // namespace
