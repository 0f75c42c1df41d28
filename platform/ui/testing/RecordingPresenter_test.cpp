#include "platform/ui/testing/RecordingPresenter.h"

#include <gtest/gtest.h>

#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"

namespace {

TEST(RecordingPresenter, RecordsWhatIsShownInOrderAndAnswersAsTold) {
  TRecordingPresenter presenter;
  TPresenterScope scope(presenter);
  TForm form;
  form.SetCaption("Logon");
  // Without a user a form stays open, which counts as cancelled.
  EXPECT_EQ(form.ShowModal(), mrCancel);
  presenter.user = [](TForm& shown) { shown.SetModalResult(mrYes); };
  EXPECT_EQ(form.ShowModal(), mrYes);
  EXPECT_EQ(presenter.forms, (std::vector<std::string>{"Logon", "Logon"}));

  EXPECT_EQ(::MessageBox("Save?", "Console", MB_YESNO), IDOK);
  presenter.boxAnswer = IDNO;
  EXPECT_EQ(::MessageBox("Quit?", "", MB_YESNO | MB_ICONQUESTION), IDNO);
  ASSERT_EQ(presenter.boxes.size(), 2u);
  EXPECT_EQ(presenter.boxes[0].text, "Save?");
  EXPECT_EQ(presenter.boxes[0].caption, "Console");
  EXPECT_EQ(presenter.boxes[1].flags, MB_YESNO | MB_ICONQUESTION);

  EXPECT_EQ(BrowseForFolder("Dumps", "/data"), std::nullopt);
  presenter.folder = "/data/dumps";
  EXPECT_EQ(BrowseForFolder("Again", "/data"), "/data/dumps");
  EXPECT_EQ(presenter.browsed, (std::vector<std::string>{"Dumps", "Again"}));
}

}  // namespace
