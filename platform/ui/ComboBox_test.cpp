#include "platform/ui/ComboBox.h"

#include <gtest/gtest.h>

#include "platform/ui/Form.h"

namespace {

struct Folder {
  std::string name;
};

class ComboBoxTest : public ::testing::Test {
 protected:
  ComboBoxTest() : combo(form.Add<TComboBox>("Combo")) {
    combo.OnChange = [this](TControl&) { ++changes; };
  }
  void Fill(std::initializer_list<const char*> texts) {
    for (const char* t : texts) combo.Items().Add(t);
  }

  TForm form;
  TComboBox& combo;
  int changes = 0;
};

TEST_F(ComboBoxTest, CodeNeverFiresOnChangeTheUserAlwaysDoes) {
  Fill({"a", "b", "c"});
  combo.SetItemIndex(1);
  combo.SetText("c");
  combo.Items().Delete(0);
  EXPECT_EQ(changes, 0);
  combo.SelectByUser(0);
  combo.SelectByUser(0);  // picking the selected item again is a pick too
  EXPECT_EQ(changes, 2);
  combo.TypeText("zz");
  EXPECT_EQ(changes, 3);
}

TEST_F(ComboBoxTest, ItemIndexOutsideTheItemsSelectsNone) {
  Fill({"a", "b"});
  combo.SetItemIndex(1);
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.SetItemIndex(0);
  combo.SetItemIndex(-7);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ComboBoxTest, SelectionFollowsInsertsAndDeletes) {
  Fill({"a", "b", "c"});
  combo.SetItemIndex(1);
  combo.Items().Insert(0, "z");
  EXPECT_EQ(combo.ItemIndex(), 2);
  combo.Items().Insert(4, "end");  // after the selection: unchanged
  EXPECT_EQ(combo.ItemIndex(), 2);
  combo.Items().Delete(0);
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "b");
  combo.Items().Delete(1);  // the selected item itself
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_THROW(combo.Items().Delete(3), EInvalidOperation);
  EXPECT_THROW(combo.Items().Insert(5, "x"), EInvalidOperation);
  EXPECT_THROW(combo.Items().Strings(-1), EInvalidOperation);
}

TEST_F(ComboBoxTest, DropDownListTextIsTheSelectedItem) {
  combo.SetStyle(csDropDownList);
  Fill({"Alpha", "Beta"});
  EXPECT_EQ(combo.Text(), "");
  combo.SetText("beta");
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "Beta");
  combo.SetText("Gamma");
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBoxTest, EditableTextIsFreeAndSelectsAMatchingItem) {
  Fill({"Alpha", "Beta"});
  combo.SetText("Gamma");
  EXPECT_EQ(combo.Text(), "Gamma");
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.TypeText("ALPHA");
  EXPECT_EQ(combo.ItemIndex(), 0);
  EXPECT_EQ(combo.Text(), "ALPHA");
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.Text(), "Beta");
  combo.SetItemIndex(-1);
  EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBoxTest, ClearRemovesItemsSelectionAndText) {
  Fill({"a"});
  combo.SetText("typed");
  combo.Clear();
  EXPECT_EQ(combo.Items().Count(), 0);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBoxTest, ItemObjectsComeBackAsTheirOwnClassOnly) {
  Folder one{"one"}, two{"two"};
  combo.Items().Add("one", &one);
  combo.Items().Add("two", &two);
  combo.Items().Add("none");
  EXPECT_EQ(combo.Items().Objects(1).As<Folder>(), &two);
  EXPECT_EQ(combo.Items().Objects(2).As<Folder>(), nullptr);
  EXPECT_TRUE(combo.Items().Objects(2).Empty());
  EXPECT_FALSE(combo.Items().Objects(0).Empty());
  EXPECT_THROW(combo.Items().Objects(0).As<std::string>(), EInvalidOperation);
  EXPECT_EQ(combo.Items().IndexOfObject(&two), 1);
  EXPECT_EQ(combo.Items().IndexOfObject(TItemObject()), 2);
  combo.Items().SetObject(2, &one);
  EXPECT_EQ(combo.Items().IndexOfObject(&one), 0);
  EXPECT_EQ(combo.Items().IndexOf("TWO"), 1);
  EXPECT_EQ(combo.Items().IndexOf("tw"), -1);
}

TEST_F(ComboBoxTest, UpdatesAreReportedOnceAtTheOutermostEndUpdate) {
  int reports = 0;
  form.OnControlChanged = [&](TControl&) { ++reports; };
  combo.Items().BeginUpdate();
  combo.Items().BeginUpdate();
  Fill({"a", "b", "c"});
  combo.Items().Clear();
  Fill({"d"});
  combo.Items().EndUpdate();
  EXPECT_EQ(reports, 0);
  EXPECT_TRUE(combo.Items().Updating());
  combo.Items().EndUpdate();
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(combo.Items().Updating());
  EXPECT_THROW(combo.Items().EndUpdate(), EInvalidOperation);
  combo.Items().Add("e");
  EXPECT_EQ(reports, 2);
}

}  // namespace
