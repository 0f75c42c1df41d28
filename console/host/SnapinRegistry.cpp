#include "console/host/SnapinRegistry.h"

#include "console/host/ConsoleError.h"
#include "platform/text/Locale.h"
#include "platform/win32/Registry.h"

namespace {

constexpr const char* kSnapinsKey = "SOFTWARE\\Microsoft\\MMC\\Snapins";

class TKey {
 public:
  TKey(HKEY root, const std::string& path) { status_ = RegOpenKeyEx(root, path, KEY_READ, &key_); }
  ~TKey() {
    if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  bool Open() const { return status_ == ERROR_SUCCESS; }
  LONG Status() const { return status_; }
  HKEY Get() const { return key_; }
  std::string Text(const std::string& name) const {
    std::string text;
    if (!Open() || RegQueryValueEx(key_, name, text) != ERROR_SUCCESS) return {};
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }

 private:
  HKEY key_ = nullptr;
  LONG status_ = ERROR_FILE_NOT_FOUND;
};

void CheckReadable(LONG status) {
  if (status == ERROR_BADDB)
    throw EConsoleError("the registry cannot be read: " + RegistryErrorText());
}

std::string ModuleOf(const CLSID& clsid) {
  TKey server(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(clsid) + "\\InprocServer32");
  CheckReadable(server.Status());
  return server.Text("");
}

TSnapinEntry EntryOf(const CLSID& clsid, const TKey& key) {
  TSnapinEntry entry;
  entry.clsid = clsid;
  entry.name = key.Text("NameString");
  if (entry.name.empty()) entry.name = GuidToString(clsid);
  entry.module = ModuleOf(clsid);
  return entry;
}

}  // namespace

std::vector<TSnapinEntry> FindStandAloneSnapins() {
  std::vector<TSnapinEntry> found;
  TKey snapins(HKEY_LOCAL_MACHINE, kSnapinsKey);
  CheckReadable(snapins.Status());
  if (!snapins.Open()) return found;
  std::string name;
  for (DWORD i = 0; RegEnumKeyEx(snapins.Get(), i, name) == ERROR_SUCCESS; ++i) {
    CLSID clsid{};
    if (!TryGuidFromString(name, clsid)) continue;
    TKey key(HKEY_LOCAL_MACHINE, std::string(kSnapinsKey) + "\\" + name);
    TKey standAlone(HKEY_LOCAL_MACHINE, std::string(kSnapinsKey) + "\\" + name + "\\StandAlone");
    if (key.Open() && standAlone.Open()) found.push_back(EntryOf(clsid, key));
  }
  return found;
}

std::optional<TSnapinEntry> FindSnapin(const CLSID& clsid) {
  TKey key(HKEY_LOCAL_MACHINE, std::string(kSnapinsKey) + "\\" + GuidToString(clsid));
  CheckReadable(key.Status());
  TSnapinEntry entry = EntryOf(clsid, key);
  if (entry.module.empty()) return std::nullopt;
  return entry;
}

TSnapinEntry ChooseSnapin(const std::string& key) {
  const std::vector<TSnapinEntry> all = FindStandAloneSnapins();
  std::vector<TSnapinEntry> matches;
  CLSID wanted{};
  const bool byClass = TryGuidFromString(key, wanted);
  for (const TSnapinEntry& entry : all) {
    if (key.empty() || SameText(entry.name, key) || (byClass && entry.clsid == wanted)) {
      matches.push_back(entry);
    }
  }
  if (matches.size() == 1) return matches.front();
  std::string choices;
  for (const TSnapinEntry& entry : all)
    choices += "\n  " + entry.name + " " + GuidToString(entry.clsid);
  if (all.empty()) throw EConsoleError("no stand-alone snap-in is registered (see --register)");
  if (matches.empty())
    throw EConsoleError("no registered snap-in is called \"" + key + "\"; registered:" + choices);
  throw EConsoleError("several snap-ins are registered; name one:" + choices);
}
