#pragma once
// Test support of the console tests: a temporary directory holding the
// registry file (VAZERIR_REGISTRY points there for the test's lifetime and
// gets its previous value back afterwards), with the test snap-in module
// registered, and the module's journal.

#include <string>
#include <vector>

#include "platform/testing/TestFiles.h"

class TTestRegistry {
 public:
  // Registers the test snap-in when `registerSnapin`.
  explicit TTestRegistry(bool registerSnapin = true);
  TTestRegistry(const TTestRegistry&) = delete;
  TTestRegistry& operator=(const TTestRegistry&) = delete;

  std::string Dir() const { return dir_.Path().string(); }
  std::string File(const std::string& name) const { return dir_.File(name); }

 private:
  TempDir dir_;
  ScopedEnv registry_;
};

// The path of the test snap-in module.
std::string FakeSnapinPath();
// The module's journal while it is loaded (empty when it is not).
std::vector<std::string> Journal();
void ClearJournal();
// The journal entries from the first one starting with `from` on.
std::vector<std::string> JournalFrom(const std::string& from);
bool FakeSnapinLoaded();
