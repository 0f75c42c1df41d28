#include "console/tui/TerminalUI.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "console/tui/CursesTerminal.h"
#include "platform/testing/TestFiles.h"

namespace {

// Standard input reads /dev/null and standard error goes to a string for
// the scope's lifetime.
class NoTerminal {
 public:
  NoTerminal() : savedIn_(dup(STDIN_FILENO)), savedErr_(std::cerr.rdbuf(captured_.rdbuf())) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    close(null);
  }
  ~NoTerminal() {
    dup2(savedIn_, STDIN_FILENO);
    close(savedIn_);
    std::cerr.rdbuf(savedErr_);
  }
  std::string Captured() const { return captured_.str(); }

 private:
  int savedIn_;
  std::ostringstream captured_;
  std::streambuf* savedErr_;
};

TEST(TerminalUITest, WithoutATerminalItSaysSoAndPointsAtBatchMode) {
  THost host;
  std::string message;
  int status = 0;
  {
    NoTerminal none;
    EXPECT_FALSE(HaveTerminal());
    status = RunTerminalUI(host, "");
    message = none.Captured();
  }
  EXPECT_EQ(status, 1);
  EXPECT_THAT(message, ::testing::HasSubstr("no terminal"));
  EXPECT_THAT(message, ::testing::HasSubstr("--batch"));
  // Nothing was started.
  EXPECT_FALSE(host.IsOpen());
}

TEST(TerminalUITest, NoColorTurnsColoursOffUnlessEmpty) {
  for (const auto& [value, wanted] : std::vector<std::pair<std::optional<std::string>, bool>>{
           {"1", false}, {"", true}, {std::nullopt, true}}) {
    ScopedEnv noColor("NO_COLOR", value);
    EXPECT_EQ(ColoursWanted(), wanted) << value.value_or("(unset)");
  }
}

TEST(TerminalUITest, TheCursesTerminalRefusesToStartWithoutATerminal) {
  NoTerminal none;
  EXPECT_THROW(TCursesTerminal terminal, ETerminalError);
}

}  // namespace
