#include "kestrel/api/ApiState.h"

namespace kestrel::api {

State& GetState() {
  static State state;
  return state;
}

Results& ThreadResults() {
  thread_local Results results;
  return results;
}

std::string Narrow(const char16_t* text) { return text ? ToUtf8(text) : std::string(); }
std::u16string Wide(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

Connection* LiveConnection(KSHandle server, KSStatus& status) {
  Connection* connection = GetState().connections.Get(server);
  status = connection == nullptr            ? KS_ERR_INVALID_HANDLE
           : !connection->server->Running() ? KS_ERR_SERVER_NOT_RUNNING
                                            : KS_OK;
  return status == KS_OK ? connection : nullptr;
}

Session* LiveSession(KSHandle handle, KSStatus& status) {
  Session* session = GetState().sessions.Get(handle);
  status = session == nullptr            ? KS_ERR_INVALID_HANDLE
           : !session->server->Running() ? KS_ERR_SERVER_NOT_RUNNING
           : !session->db->Online()      ? KS_ERR_NO_SUCH_DATABASE
                                         : KS_OK;
  return status == KS_OK ? session : nullptr;
}

void Notify(KSHandle target, int32_t kind, int32_t code, std::vector<std::u16string> texts) {
  State& state = GetState();
  if (state.events.IsRegistered(target)) state.events.Post(target, kind, code, std::move(texts));
}

}  // namespace kestrel::api
