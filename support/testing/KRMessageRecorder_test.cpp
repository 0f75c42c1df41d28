#include "support/testing/KRMessageRecorder.h"

#include <gtest/gtest.h>

#include "support/KRLocalizedMessageDialogs_UNT.h"

TEST(MessageRecorderTest, RecordsEachMessageFormAndClosesItWithItsFirstButton) {
  TKRMessageRecorder recorder;
  EXPECT_EQ(LocMsgWithTitleDlg("Saving", "Saved.", mtInformation, mbOKOnly, 0), mrOk);
  EXPECT_EQ(LocMessageDlg("Delete?", mtConfirmation, MsgDlgButtons({mbYes, mbNo}), 0), mrYes);
  ASSERT_EQ(recorder.Messages().size(), 2u);
  const TKRRecordedMessage& first = recorder.Messages()[0];
  EXPECT_EQ(first.Caption, "Saving");
  EXPECT_EQ(first.Text, "Saved.");
  EXPECT_EQ(first.Kind, mtInformation);
  EXPECT_EQ(first.Buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(recorder.Messages()[1].Buttons, (std::vector<std::string>{"Yes", "No"}));
}
