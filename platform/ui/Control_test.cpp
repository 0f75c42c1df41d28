#include "platform/ui/Control.h"

#include <gtest/gtest.h>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(ControlNamesTest, NamesAreIdentifiersUniqueRegardlessOfCase) {
  TForm form;
  TEdit& edit = form.Add<TEdit>("NameEdit");
  EXPECT_EQ(form.FindComponent("nameedit"), &edit);
  EXPECT_EQ(form.FindComponent("Other"), nullptr);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  EXPECT_THROW(form.Add<TEdit>("NAMEEDIT"), EInvalidOperation);
  EXPECT_THROW(form.Add<TEdit>("1Edit"), EInvalidOperation);
  EXPECT_THROW(form.Add<TEdit>("Name Edit"), EInvalidOperation);
  EXPECT_EQ(form.ComponentCount(), 1);  // the refused ones are freed
  form.Add<TLabel>("");
  form.Add<TLabel>("");  // unnamed controls do not clash
  form.Add<TLabel>("_Label2");
  EXPECT_EQ(form.ComponentCount(), 4);
  edit.SetName("NameEdit");  // its own name again
  EXPECT_THROW(edit.SetName("_label2"), EInvalidOperation);
  EXPECT_EQ(edit.Name(), "NameEdit");
}

TEST(ControlParentTest, ParentsComeFromTheSameFormAndNeverFormACycle) {
  TForm form, other;
  TPanel& outer = form.Add<TPanel>("Outer");
  TPanel& inner = form.Add<TPanel>(outer, "Inner");
  TPanel& foreign = other.Add<TPanel>("Foreign");
  EXPECT_EQ(inner.Parent(), &outer);
  EXPECT_EQ(inner.ParentForm(), &form);
  EXPECT_THROW(inner.SetParent(&foreign), EInvalidOperation);
  EXPECT_THROW(outer.SetParent(&inner), EInvalidOperation);
  EXPECT_THROW(outer.SetParent(&outer), EInvalidOperation);
  EXPECT_EQ(outer.Parent(), &form);
  TEdit loose;
  EXPECT_THROW(loose.SetParent(&outer), EInvalidOperation);  // not owned by a form

  inner.SetParent(&form);
  EXPECT_EQ(outer.ControlCount(), 0);
  EXPECT_EQ(&form.Controls(1), &inner);
  EXPECT_EQ(inner.TabOrder(), 1);
  inner.SetParent(nullptr);
  EXPECT_EQ(inner.TabOrder(), -1);
  inner.SetTabOrder(0);  // no effect without a parent
  inner.SetParent(&form);
  EXPECT_EQ(inner.TabOrder(), 1);
}

TEST(ControlTabOrderTest, SettingTheOrderMovesAndShiftsSiblingsWithinRange) {
  TForm form;
  TEdit& a = form.Add<TEdit>("A");
  TLabel& label = form.Add<TLabel>("L");
  TEdit& b = form.Add<TEdit>("B");
  TEdit& c = form.Add<TEdit>("C");
  (void)label;  // labels are not in the tab order
  EXPECT_EQ(a.TabOrder(), 0);
  EXPECT_EQ(b.TabOrder(), 1);
  EXPECT_EQ(c.TabOrder(), 2);
  c.SetTabOrder(0);
  EXPECT_EQ(c.TabOrder(), 0);
  EXPECT_EQ(a.TabOrder(), 1);
  EXPECT_EQ(b.TabOrder(), 2);
  a.SetTabOrder(99);
  EXPECT_EQ(a.TabOrder(), 2);
  a.SetTabOrder(-5);
  EXPECT_EQ(a.TabOrder(), 0);
  EXPECT_EQ(form.TabOrderList(), (std::vector<TWinControl*>{&a, &c, &b}));
}

TEST(ControlTabOrderTest, TheFormsListIsDepthFirst) {
  TForm form;
  TPanel& panel = form.Add<TPanel>("Panel");
  TEdit& inside = form.Add<TEdit>(panel, "Inside");
  TButton& ok = form.Add<TButton>("OK");
  panel.SetTabOrder(1);
  EXPECT_EQ(form.TabOrderList(), (std::vector<TWinControl*>{&ok, &panel, &inside}));
}

TEST(ControlAlignTest, AlignedChildrenShareTheClientArea) {
  TForm form;
  form.SetBorderStyle(bsDialog);
  form.SetClientWidth(239);
  form.SetClientHeight(84);
  TPanel& buttons = form.Add<TPanel>("Buttons");
  buttons.SetHeight(28);
  buttons.SetAlign(alBottom);
  TPanel& top = form.Add<TPanel>("Top");
  top.SetHeight(10);
  top.SetAlign(alTop);
  TPanel& body = form.Add<TPanel>("Body");
  body.SetAlign(alClient);
  EXPECT_EQ(buttons.BoundsRect(), (TRect{0, 56, 239, 84}));
  EXPECT_EQ(top.BoundsRect(), (TRect{0, 0, 239, 10}));
  EXPECT_EQ(body.BoundsRect(), (TRect{0, 10, 239, 56}));

  top.SetVisible(false);
  EXPECT_EQ(body.BoundsRect(), (TRect{0, 0, 239, 56}));
  form.SetClientHeight(100);
  EXPECT_EQ(buttons.BoundsRect(), (TRect{0, 72, 239, 100}));
  EXPECT_EQ(body.BoundsRect(), (TRect{0, 0, 239, 72}));
  buttons.SetWidth(10);  // an aligned child keeps the full width
  EXPECT_EQ(buttons.Width(), 239);
}

TEST(ControlAlignTest, BevelsNarrowAPanelsClientArea) {
  TForm form;
  TPanel& panel = form.Add<TPanel>("Panel");
  panel.SetBounds(0, 0, 100, 50);
  TPanel& fill = form.Add<TPanel>(panel, "Fill");
  fill.SetAlign(alClient);
  EXPECT_EQ(fill.BoundsRect(), (TRect{1, 1, 99, 49}));  // raised outer bevel
  panel.SetBevelInner(bvLowered);
  EXPECT_EQ(fill.BoundsRect(), (TRect{2, 2, 98, 48}));
  panel.SetBevelOuter(bvNone);
  panel.SetBevelInner(bvNone);
  EXPECT_EQ(fill.BoundsRect(), (TRect{0, 0, 100, 50}));
}

TEST(ControlAnchorTest, ChildrenFollowTheirAnchorsWhenTheParentResizes) {
  TForm form;
  TPanel& panel = form.Add<TPanel>("Panel");
  panel.SetBounds(0, 0, 200, 100);
  TButton& ok = form.Add<TButton>(panel, "OK");
  ok.SetBounds(120, 70, 75, 25);
  ok.SetAnchors(akRight | akBottom);
  TEdit& edit = form.Add<TEdit>(panel, "Edit");
  edit.SetBounds(4, 18, 150, 21);
  edit.SetAnchors(akLeft | akTop | akRight);
  TLabel& label = form.Add<TLabel>(panel, "Label");
  label.SetBounds(10, 10, 20, 16);
  TEdit& centred = form.Add<TEdit>(panel, "Centred");
  centred.SetBounds(50, 40, 100, 21);
  centred.SetAnchors(akTop);

  panel.SetBounds(0, 0, 240, 130);
  EXPECT_EQ(ok.BoundsRect(), (TRect{160, 100, 235, 125}));
  EXPECT_EQ(edit.BoundsRect(), (TRect{4, 18, 194, 39}));
  EXPECT_EQ(label.BoundsRect(), (TRect{10, 10, 30, 26}));
  EXPECT_EQ(centred.Left(), 70);
  panel.SetBounds(0, 0, 60, 130);  // narrower than the edit: the edit shrinks to 0
  EXPECT_EQ(edit.Width(), 10);
  EXPECT_EQ(ok.Left(), -20);
}

TEST(ControlAnchorTest, AnchorsFollowTheClientAreaNotTheFrame) {
  TForm form;
  form.SetClientWidth(200);
  form.SetClientHeight(100);
  TButton& ok = form.Add<TButton>("OK");
  ok.SetBounds(120, 70, 75, 25);
  ok.SetAnchors(akRight | akBottom);
  form.SetBorderStyle(bsNone);  // the window shrinks, its client area stays
  EXPECT_EQ(ok.BoundsRect(), (TRect{120, 70, 195, 95}));
  form.SetBorderStyle(bsDialog);
  EXPECT_EQ(ok.BoundsRect(), (TRect{120, 70, 195, 95}));
  form.SetClientWidth(210);
  EXPECT_EQ(ok.Left(), 130);

  TPanel& panel = form.Add<TPanel>("Panel");  // raised bevel: client inset by 1
  panel.SetBounds(0, 0, 100, 50);
  TButton& inner = form.Add<TButton>(panel, "Inner");
  inner.SetBounds(10, 10, 80, 20);
  inner.SetAnchors(akLeft | akRight);
  panel.SetBevelOuter(bvNone);  // the client area grows by 2
  EXPECT_EQ(inner.Width(), 82);
}

TEST(ControlStateTest, VisibilityAndEnablingComeFromTheParentsToo) {
  TForm form;
  TGroupBox& group = form.Add<TGroupBox>("Group");
  TRadioButton& radio = form.Add<TRadioButton>(group, "Radio");
  EXPECT_TRUE(radio.VisibleInForm());  // the form's own visibility does not count
  group.SetEnabled(false);
  EXPECT_TRUE(radio.Enabled());
  EXPECT_FALSE(radio.EnabledInForm());
  EXPECT_FALSE(radio.CanFocus());
  group.SetEnabled(true);
  group.SetVisible(false);
  EXPECT_FALSE(radio.VisibleInForm());
  EXPECT_FALSE(radio.CanFocus());
  group.SetVisible(true);
  EXPECT_TRUE(radio.CanFocus());
}

TEST(ControlStateTest, ChangesReachTheFormsObserverOnce) {
  TForm form;
  TEdit& edit = form.Add<TEdit>("Edit");
  std::vector<TControl*> changed;
  form.OnControlChanged = [&](TControl& c) { changed.push_back(&c); };
  edit.SetText("x");
  edit.SetText("x");
  edit.SetEnabled(false);
  edit.SetColor(clRed);
  EXPECT_EQ(changed, (std::vector<TControl*>{&edit, &edit, &edit}));
}

TEST(ControlStateTest, SysColorChangeReachesNestedControls) {
  struct Probe : TLabel {
    int* count;
    explicit Probe(int* c) : count(c) {}
    void SysColorChange() override { ++*count; }
  };
  int count = 0;
  TForm form;
  TPanel& panel = form.Add<TPanel>("Panel");
  form.Add<Probe>(panel, "P1", &count);
  form.Add<Probe>("P2", &count);
  form.SysColorChange();
  EXPECT_EQ(count, 2);
}

TEST(ControlLifetimeTest, TheFormFreesEveryControlWhateverItsParent) {
  struct Counted : TEdit {
    int* freed;
    explicit Counted(int* f) : freed(f) {}
    ~Counted() override { ++*freed; }
  };
  int freed = 0;
  {
    TForm form;
    TEdit& early = form.Add<Counted>("Early", &freed);
    TPanel& later = form.Add<TPanel>("Later");
    TPanel& last = form.Add<TPanel>(later, "Last");
    early.SetParent(&last);  // a child created before its parent
    form.Add<Counted>(last, "Inner", &freed);
    form.Add<Counted>("Plain", &freed);
    form.SetActiveControl(&early);
  }
  EXPECT_EQ(freed, 3);
}

}  // namespace
