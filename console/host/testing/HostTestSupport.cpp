#include "console/host/testing/HostTestSupport.h"

#include "console/host/SnapinModule.h"
#include "console/host/testing/FakeSnapin.h"
#include "platform/win32/Library.h"

TTestRegistry::TTestRegistry(bool registerSnapin)
    : registry_("VAZERIR_REGISTRY", dir_.File("registry.reg")) {
  if (registerSnapin) RegisterModule(FakeSnapinPath(), false);
}

std::string FakeSnapinPath() { return KR_FAKE_SNAPIN; }

namespace {

std::vector<std::string>* JournalOfLoadedModule() {
  HMODULE module = GetModuleHandle(FakeSnapinPath().c_str());
  if (module == nullptr) return nullptr;
  auto entry =
      reinterpret_cast<FakeSnapinJournalEntry>(GetProcAddress(module, "FakeSnapinJournal"));
  return entry != nullptr ? entry() : nullptr;
}

}  // namespace

bool FakeSnapinLoaded() { return GetModuleHandle(FakeSnapinPath().c_str()) != nullptr; }

std::vector<std::string> Journal() {
  std::vector<std::string>* journal = JournalOfLoadedModule();
  return journal != nullptr ? *journal : std::vector<std::string>();
}

void ClearJournal() {
  if (std::vector<std::string>* journal = JournalOfLoadedModule()) journal->clear();
}

std::vector<std::string> JournalFrom(const std::string& from) {
  std::vector<std::string> all = Journal();
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].starts_with(from)) return std::vector<std::string>(all.begin() + long(i), all.end());
  }
  return {};
}
