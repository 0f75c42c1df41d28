#include "platform/ui/AnswerNames.h"

#include <gtest/gtest.h>

#include "platform/ui/MessageBoxCodes.h"

namespace {

TEST(AnswerNames, AnswersAndModalResultsHaveCaptionsThatReadBack) {
  EXPECT_EQ(AnswerCaption(IDOK), "OK");
  EXPECT_EQ(AnswerCaption(IDCLOSE), "Close");
  EXPECT_EQ(AnswerCaption(IDTRYAGAIN), "Try Again");
  EXPECT_EQ(AnswerCaption(IDCONTINUE), "Continue");
  for (int answer = IDOK; answer <= IDCONTINUE; ++answer) {
    std::string word = AnswerCaption(answer);
    std::erase(word, ' ');
    EXPECT_EQ(ParseAnswer(word), answer) << word;
    EXPECT_EQ(ParseAnswer("ID" + word), answer) << word;
  }
  // Beyond the named answers the caption is the number.
  EXPECT_EQ(AnswerCaption(0), "0");
  EXPECT_EQ(AnswerCaption(IDTIMEOUT), "32000");

  for (TModalResult result = mrOk; result <= mrNo; ++result) {
    EXPECT_EQ(ModalResultCaption(result), AnswerCaption(result));
  }
  // From 8 on the numbers mean different things.
  EXPECT_EQ(ModalResultCaption(mrNone), "None");
  EXPECT_EQ(ModalResultCaption(mrAll), "All");
  EXPECT_EQ(AnswerCaption(mrAll), "Close");
  EXPECT_EQ(ModalResultCaption(mrNoToAll), "No to All");
  EXPECT_EQ(ModalResultCaption(mrYesToAll), "Yes to All");
  EXPECT_EQ(ModalResultCaption(11), "11");
}

TEST(AnswerNames, ScriptWordsAreReadRegardlessOfCaseAndNothingElseIs) {
  EXPECT_EQ(ParseAnswer("idyes"), IDYES);
  EXPECT_EQ(ParseAnswer("Cancel"), IDCANCEL);
  EXPECT_EQ(ParseAnswer("MRYESTOALL"), mrYesToAll);
  EXPECT_EQ(ParseAnswer("mrNone"), mrNone);
  EXPECT_EQ(ParseAnswer("32000"), IDTIMEOUT);
  EXPECT_EQ(ParseAnswer("0"), 0);
  for (const char* word : {"-1", "", "ID", "mr", "maybe", "yes!", "7x", " 7", "IDYESS"}) {
    EXPECT_EQ(ParseAnswer(word), -1) << word;
  }
}

}  // namespace
