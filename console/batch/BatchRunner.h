#pragma once
// TBatchRunner: runs a batch script against the console host, one command a
// line, printing what a user would see to `out` (the language is described
// by UsageText() in CommandLine.h and by README.md). Modal user interface goes to the runner's
// TBatchPresenter, installed for the runner's lifetime. Posted messages are
// pumped after every line. The first line that fails ends the run: its
// number and the reason go to `err` ("line N: reason") and Run answers 1;
// when every line ran it answers 0.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "console/batch/BatchPresenter.h"
#include "console/host/Host.h"

class TBatchRunner {
 public:
  TBatchRunner(THost& host, std::ostream& out, std::ostream& err);
  TBatchRunner(const TBatchRunner&) = delete;
  TBatchRunner& operator=(const TBatchRunner&) = delete;

  int Run(std::istream& script);
  // How the program's terminal front end lays forms out, for the `layout`
  // command; without it that command fails.
  void SetTerminalLayout(TTerminalLayout layout) { terminalLayout_ = std::move(layout); }
  // Runs one line; raises an Exception with the reason when it fails.
  void RunLine(const std::string& line);

 private:
  using Words = std::vector<std::string>;
  struct Command;
  static const std::vector<Command>& Commands();

  TConsole& Console() { return host_.Console(); }
  HSCOPEITEM Resolve(const std::string& path);
  // Selects NODE when given (words[index]); the node otherwise stays.
  void SelectIfGiven(const Words& words, size_t index);
  void PrintTree(HSCOPEITEM node, int depth);
  int FindRow(const std::string& text, const std::vector<int>& taken);
  TMenuItem FindMenuItem(const std::string& text);

  void New(const Words& w);
  void Open(const Words& w);
  void Save(const Words& w);
  void Dirty(const Words& w);
  void Expand(const Words& w);
  void Collapse(const Words& w);
  void Select(const Words& w);
  void Tree(const Words& w);
  void List(const Words& w);
  void Pick(const Words& w);
  void Sort(const Words& w);
  void Menu(const Words& w);
  void Run(const Words& w);
  void Verbs(const Words& w);
  void Refresh(const Words& w);
  void Delete(const Words& w);
  void Rename(const Words& w);
  void Help(const Words& w);
  void Status(const Words& w);
  void OnForm(const Words& w);
  void OnMessage(const Words& w);
  void OnFolder(const Words& w);
  void Pump(const Words& w);
  void Echo(const Words& w);
  void Layout(const Words& w);

  THost& host_;
  std::ostream& out_;
  std::ostream& err_;
  TBatchPresenter presenter_;
  TTerminalLayout terminalLayout_;
  TPresenterScope presenterScope_;
};
