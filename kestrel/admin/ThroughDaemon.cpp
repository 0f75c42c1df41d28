#include "kestrel/admin/ThroughDaemon.h"

#include <ostream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "kestrel/engine/Text.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel::admin {

namespace {

// A connection to a server through the daemon, released with the object.
class Connection {
 public:
  explicit Connection(const std::string& server) {
    KSUseWideStrings(1);
    handle_ = KSConnectServer(u"localhost", ToUtf16(server).c_str());
  }
  ~Connection() {
    if (handle_ != 0) KSDisconnectServer(handle_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  KSHandle Get(const std::string& server) const {
    if (handle_ == 0)
      throw std::runtime_error("kestreld does not serve " + server + " (status " +
                               std::to_string(KSGetLastConnectError()) + ")");
    return handle_;
  }

 private:
  KSHandle handle_ = 0;
};

std::string Utf8(const char16_t* text) { return text != nullptr ? ToUtf8(text) : std::string(); }

std::vector<std::string> Lines(const char16_t* text) {
  std::vector<std::string> lines;
  std::istringstream in(Utf8(text));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

bool ListThroughDaemon(const std::string& server, std::ostream& out) {
  Connection connection(server);
  KSHandle handle = 0;
  try {
    handle = connection.Get(server);
  } catch (const std::runtime_error&) {
    return false;
  }
  int32_t count = 0;
  const KSHandle* metas = KSGetAvailableMetas(handle, &count);
  for (int32_t i = 0; i < count; ++i) {
    out << "  schema " << Utf8(KSGetMetaName(metas[i])) << " " << Utf8(KSGetMetaVersion(metas[i])) << "\n";
    int32_t databases = 0;
    const char16_t* const* names = KSGetAvailableDatabases(handle, metas[i], &databases);
    for (int32_t d = 0; d < databases; ++d) out << "    database " << Utf8(names[d]) << "\n";
  }
  return true;
}

int CheckThroughDaemon(const std::string& server, const std::string& db, bool repair, std::ostream& out) {
  Connection connection(server);
  const KSHandle handle = connection.Get(server);
  const std::u16string name = ToUtf16(db);
  const char16_t* report = KSCheckDatabaseIntegrity(handle, name.c_str(), repair ? -1 : 0);
  if (report == nullptr) throw std::runtime_error("no online database " + db);
  const std::vector<std::string> findings = Lines(report);
  for (const std::string& line : findings) out << line << "\n";
  if (findings.empty()) out << "no problems found\n";
  const bool remaining =
      !findings.empty() && (!repair || !Lines(KSCheckDatabaseIntegrity(handle, name.c_str(), 0)).empty());
  return remaining ? 2 : 0;
}

int JournalThroughDaemon(bool on, const std::string& server, const std::string& db,
                         const std::string& file, std::ostream& out) {
  Connection connection(server);
  const KSHandle handle = connection.Get(server);
  const std::u16string name = ToUtf16(db), path = ToUtf16(file);
  const KSStatus status = on ? KSEnableJournal(handle, name.c_str(), path.c_str())
                             : KSDisableJournal(handle, name.c_str(), path.c_str());
  switch (status) {
    case KS_OK:
      out << "the journal of " << db << (on ? " is on in " + file : " is off") << "\n";
      return 0;
    case KS_ERR_NO_SUCH_DATABASE:
      throw std::runtime_error("no online database " + db);
    case KS_ERR_NOT_A_JOURNAL:
      throw std::runtime_error(file + " exists and is not a journal of " + db);
    default:
      throw std::runtime_error("kestreld could not turn the journal of " + db + (on ? " on" : " off") +
                               " (status " + std::to_string(status) + ")");
  }
}

}  // namespace kestrel::admin
