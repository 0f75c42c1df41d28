#include "console/batch/BatchRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "console/batch/BatchWords.h"
#include "console/batch/CommandLine.h"
#include "console/host/testing/HostTestSupport.h"
#include "platform/ui/Form.h"
#include "platform/ui/Screen.h"

using ::testing::Contains;
using ::testing::HasSubstr;

namespace {

struct TRun {
  int status = -1;
  std::string out;
  std::string err;
};

class BatchRunnerTest : public ::testing::Test {
 protected:
  TRun Run(const std::string& script, const TTerminalLayout& layout = {}) {
    std::istringstream in(script);
    std::ostringstream out, err;
    THost host;
    TRun run;
    {
      TBatchRunner runner(host, out, err);
      runner.SetTerminalLayout(layout);
      run.status = runner.Run(in);
      journal_ = Journal();
    }
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  TTestRegistry registry_;
  std::vector<std::string> journal_;
};

TEST_F(BatchRunnerTest, BrowsesListsAndPicks) {
  const TRun run =
      Run("new\n"
          "tree            # nothing expanded yet\n"
          "select Alpha\n"
          "tree\n"
          "list\n"
          "list --csv\n"
          "pick r2 One\n"
          "verbs\n"
          "sort Name desc\n"
          "pick\n"
          "list\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Fake Root\n"
            "Fake Root\n"
            "  Alpha\n"
            "    One\n"
            "    Two\n"
            "  Beta/Gamma\n"
            "Name | Size\n"
            "One | scope 3\n"
            "Two | scope 4\n"
            "r1 | 10\n"
            "r2 | 9\n"
            "r10 | \n"
            "Name,Size\n"
            "One,scope 3\n"
            "Two,scope 4\n"
            "r1,10\n"
            "r2,9\n"
            "r10,\n"
            "open: disabled\n"
            "copy: disabled\n"
            "paste: disabled\n"
            "delete: enabled\n"
            "properties: disabled\n"
            "rename: disabled\n"
            "refresh: disabled\n"
            "print: disabled\n"
            "cut: disabled\n"
            "Name | Size\n"
            "One | scope 3\n"
            "Two | scope 4\n"
            "r2 | 9\n"
            "r10 | \n"
            "r1 | 10\n");
  EXPECT_THAT(journal_, Contains("c notify 0x8015 cookie -2 arg 0x10000 rows 2"));
}

TEST_F(BatchRunnerTest, MenusVerbsAndCommandsOnNodes) {
  const TRun run =
      Run("new\n"
          "menu Alpha\n"
          "verbs Beta\\/Gamma\n"
          "run \"Add Node\" Alpha\n"
          "dirty\n"
          "rename Alpha \"First one\"\n"
          "delete Beta\\/Gamma\n"
          "tree\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "1 | Add Node | Does Add Node\n"
            "2 | Ask | Does Ask\n"
            "3 | Greyed | Does Greyed | disabled\n"
            "6 | Warn | Does Warn\n"
            "7 | Browse | Does Browse\n"
            "4 | New > New Thing | Does New Thing\n"
            "9 | All Tasks > Post | Does Post\n"
            "open: enabled (default)\n"
            "copy: disabled\n"
            "paste: disabled\n"
            "delete: enabled\n"
            "properties: hidden\n"
            "rename: enabled\n"
            "refresh: enabled\n"
            "print: disabled\n"
            "cut: disabled\n"
            "dirty: yes\n"
            "Fake Root\n"
            "  First one\n"
            "    One\n"
            "    Two\n"
            "    Node 1\n");
}

TEST_F(BatchRunnerTest, AnswersTheModulesFormsMessagesAndFolders) {
  const TRun run =
      Run("new\n"
          "on-form Ask set NameEdit=Zed click OKBtn\n"
          "run Ask Alpha\n"
          "run Ask\n"
          "on-message Really? yes\n"
          "run Warn\n"
          "run Warn\n"
          "on-folder /srv/dumps\n"
          "run Browse\n"
          "run Browse\n"
          "help\n"
          "run \"All Tasks > Post\"\n"
          "tree Alpha\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "form: Ask -> OK\n"
            "form: Ask -> Cancel (not answered)\n"
            "message: Fake: Really?\n"
            "message: Fake: Really?\n"
            "folder: Pick one -> /srv/dumps\n"
            "folder: Pick one -> cancelled (not answered)\n"
            "message: Help: help for the item\n"
            "Alpha\n"
            "  One\n"
            "  Two\n"
            "  Zed\n");
  EXPECT_THAT(journal_, Contains("answer 6"));
  EXPECT_THAT(journal_, Contains("answer 7"));
  EXPECT_THAT(journal_, Contains("folder /srv/dumps"));
  EXPECT_THAT(journal_, Contains("folder none"));
  // Posted inside the module, dispatched by the pump after the line.
  EXPECT_THAT(journal_, Contains("posted received"));
}

TEST_F(BatchRunnerTest, LaysOutWhatIsShownAsTheTerminalWould) {
  std::vector<std::string> asked;
  TTerminalLayout layout;
  layout.FormProblems = [&](const TForm& form, int width, int height) {
    asked.push_back(form.Caption() + " " + std::to_string(width) + "x" + std::to_string(height));
    return std::vector<std::string>{};
  };
  layout.MessageBoxProblems = [&](const std::string& text, const std::string&, uint32_t, int,
                                  int) {
    asked.push_back(text);
    return std::vector<std::string>{"needs 90x30 cells", "OK touches the frame"};
  };
  const TRun run = Run(
      "new\n"
      "run Ask Alpha       # not checked yet\n"
      "layout 80 24\n"
      "run Ask Alpha\n"
      "run Warn\n",
      layout);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "form: Ask -> Cancel (not answered)\n"
            "layout: Ask: fits 80x24\n"
            "form: Ask -> Cancel (not answered)\n"
            "layout: Fake: needs 90x30 cells\n"
            "layout: Fake: OK touches the frame\n"
            "message: Fake: Really?\n");
  EXPECT_EQ(asked, (std::vector<std::string>{"Ask 80x24", "Really?"}));
  // Forms are centred on a screen of the terminal's size.
  EXPECT_EQ(Screen().Width(), 80 * kCellWidth);
  EXPECT_EQ(Screen().Height(), 24 * kCellHeight);
  Screen().SetSize(1024, 768);

  EXPECT_THAT(Run("new\nlayout 80 24\n").err, HasSubstr("no terminal front end"));
  for (const char* size : {"0 24", "80 x", "-1 -1"}) {
    EXPECT_THAT(Run(std::string("new\nlayout ") + size + "\n", layout).err,
                HasSubstr("usage: layout WIDTH HEIGHT"))
        << size;
  }
}

TEST_F(BatchRunnerTest, StopsAtTheFirstFailingLine) {
  TRun run = Run("new\n\n# fine so far\nselect Nope\necho never\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "line 4: no node \"Nope\" below \"Fake Root\" (it has: Alpha, Beta/Gamma)\n");

  const std::vector<std::pair<std::string, std::string>> failures = {
      {"frobnicate", "line 1: unknown command \"frobnicate\""},
      {"list", "line 1: no document is open (use new or open)"},
      {"new\nselect Alpha\ndelete", "line 3: the delete verb is not available here"},
      {"new\nrun Greyed Alpha", "line 2: the menu item \"Greyed\" is disabled"},
      {"new\nrun Nothing Alpha", "line 2: the context menu has no item \"Nothing\""},
      {"new\nselect Alpha\npick r3", "line 3: no row \"r3\" in the result pane"},
      {"new\non-form Ask set Nope=x\nrun Ask Alpha",
       "line 3: form \"Ask\": the form has no control named Nope"},
      {"new\non-message x maybe", "line 2: unknown answer \"maybe\""},
      {"new\nrename Alpha \"\"", "line 2: the snap-in refused the name \"\""},
      {"expand", "line 1: usage: expand NODE"},
      {"echo \"open", "line 1: a quoted word is not closed"},
      {"open " + registry_.File("missing.vzc"), "line 1: cannot open"},
  };
  for (const auto& [script, reason] : failures) {
    run = Run(script);
    EXPECT_EQ(run.status, 1) << script;
    EXPECT_THAT(run.err, HasSubstr(reason)) << script;
  }
}

TEST_F(BatchRunnerTest, SavesAndOpensDocuments) {
  const std::string path = registry_.File("saved.vzc");
  TRun run = Run("new\nrun \"Add Node\" Alpha\nsave " + path + "\ndirty\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "dirty: no\n");
  run = Run("open " + path + "\ndirty\nexpand Alpha\ntree Alpha\nsave\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "dirty: no\nAlpha\n  One\n  Two\n  Node 1\n");
  run = Run("new\nsave\n");
  EXPECT_EQ(run.err, "line 2: the document has no file name yet\n");
}

TEST(CommandLineTest, ReadsTheModesAndRefusesWhatItDoesNotKnow) {
  TCommandLine line = ParseCommandLine({"--batch", "-", "doc.vzc"});
  EXPECT_EQ(line.mode, TCommandLine::Batch);
  EXPECT_EQ(line.file, "-");
  EXPECT_EQ(line.document, "doc.vzc");
  line = ParseCommandLine({"doc.vzc"});
  EXPECT_EQ(line.mode, TCommandLine::Interactive);
  EXPECT_EQ(ParseCommandLine({"--unregister", "m.so"}).mode, TCommandLine::Unregister);
  EXPECT_EQ(ParseCommandLine({"--batch", "x", "--help"}).mode, TCommandLine::Help);
  EXPECT_EQ(ParseCommandLine({"--version", "--frob"}).mode, TCommandLine::Version);
  EXPECT_THROW(ParseCommandLine({"--batch"}), EBatchError);
  EXPECT_THROW(ParseCommandLine({"--frob"}), EBatchError);
  EXPECT_THROW(ParseCommandLine({"a.vzc", "b.vzc"}), EBatchError);
  EXPECT_THROW(ParseCommandLine({"--register", "m.so", "--batch", "x"}), EBatchError);
  EXPECT_THROW(ParseCommandLine({"--register", "m.so", "doc.vzc"}), EBatchError);
}

TEST(CommandLineTest, RegistersModulesAndRunsScriptsFromStandardInput) {
  TTestRegistry registry(false);
  std::istringstream in("new\ntree\n");
  std::ostringstream out, err;
  TCommandLine line = ParseCommandLine({"--register", FakeSnapinPath()});
  EXPECT_EQ(RunCommandLine(line, in, out, err), 0);
  EXPECT_EQ(out.str(), FakeSnapinPath() + ": registered\n");
  out.str("");
  EXPECT_EQ(RunCommandLine(ParseCommandLine({"--batch", "-"}), in, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "Fake Root\n");
  EXPECT_EQ(RunCommandLine(ParseCommandLine({"--unregister", FakeSnapinPath()}), in, out, err), 0);
  EXPECT_EQ(
      RunCommandLine(ParseCommandLine({"--register", registry.File("none.so")}), in, out, err), 1);
  EXPECT_THAT(err.str(), HasSubstr("cannot load"));
  err.str("");
  EXPECT_EQ(RunCommandLine(ParseCommandLine({"--batch", registry.File("none.txt")}), in, out, err),
            1);
  EXPECT_THAT(err.str(), HasSubstr("cannot read the script"));
  out.str("");
  EXPECT_EQ(RunCommandLine(ParseCommandLine({"--help"}), in, out, err), 0);
  for (const char* command : {"new [SNAPIN]", "on-form CAPTION", "pick ITEM...", "line N: reason",
                              "layout WIDTH HEIGHT", "--version"}) {
    EXPECT_THAT(out.str(), HasSubstr(command));
  }
  out.str("");
  EXPECT_EQ(RunCommandLine(ParseCommandLine({"--version"}), in, out, err), 0);
  EXPECT_EQ(out.str(), VersionText() + "\n");
  EXPECT_THAT(VersionText(), ::testing::MatchesRegex("VAZERir [0-9]+\\.[0-9]+\\.[0-9]+"));
}

}  // namespace
