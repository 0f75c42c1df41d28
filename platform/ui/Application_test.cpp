#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include "platform/ui/Form.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/RecordingPresenter.h"

namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() : scope(recorder) { Application().SetTitle("Console"); }
  TRecordingPresenter recorder;
  TPresenterScope scope;
};

TEST_F(ApplicationTest, HandledExceptionsAreShownWithAFullStop) {
  Application().HandleException(Exception("Disk full"));
  Application().HandleException(Exception("Already said."));
  Application().HandleException(Exception("Loud!"));
  Application().HandleException(std::runtime_error("std failure"));
  Application().HandleException(Exception(""));
  ASSERT_EQ(recorder.boxes.size(), 5u);
  EXPECT_EQ(recorder.boxes[0].text, "Disk full.");
  EXPECT_EQ(recorder.boxes[0].caption, "Console");
  EXPECT_EQ(recorder.boxes[0].flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(recorder.boxes[1].text, "Already said.");
  EXPECT_EQ(recorder.boxes[2].text, "Loud!");
  EXPECT_EQ(recorder.boxes[3].text, "std failure.");
  EXPECT_EQ(recorder.boxes[4].text, "");
}

TEST_F(ApplicationTest, AbortIsSilentAndOnExceptionTakesOver) {
  KR_DECLARE_EXCEPTION(EQuiet, EAbort);
  Application().HandleException(EAbort("stop"));
  Application().HandleException(EQuiet("stop too"));
  EXPECT_TRUE(recorder.boxes.empty());
  std::string seen;
  Application().OnException = [&](const std::exception& e) { seen = e.what(); };
  Application().HandleException(Exception("routed"));
  Application().OnException = nullptr;
  EXPECT_EQ(seen, "routed");
  EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(ApplicationTest, ProcessMessagesRunsTheHostsHandler) {
  Application().ProcessMessages();  // nothing installed: nothing happens
  int pumped = 0;
  Application().SetProcessMessagesHandler([&] { ++pumped; });
  Application().ProcessMessages();
  Application().ProcessMessages();
  Application().SetProcessMessagesHandler(nullptr);
  Application().ProcessMessages();
  EXPECT_EQ(pumped, 2);
}

TEST_F(ApplicationTest, SystemColourChangesReachTheHookAndEveryFormsControls) {
  struct Probe : TEdit {
    std::vector<std::string>* order;
    explicit Probe(std::vector<std::string>* o) : order(o) {}
    void SysColorChange() override {
      order->push_back(Name());
      TEdit::SysColorChange();
    }
  };
  std::vector<std::string> order;
  TForm first, second;
  first.Add<Probe>("A", &order);
  second.Add<Probe>("B", &order);
  Application().OnSysColorChange = [&] { order.push_back("hook"); };
  Application().SysColorsChanged();
  Application().OnSysColorChange = nullptr;
  EXPECT_EQ(order, (std::vector<std::string>{"hook", "A", "B"}));
}

}  // namespace
