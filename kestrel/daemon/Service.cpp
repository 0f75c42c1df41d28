#include "kestrel/daemon/Service.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

#include "kestrel/api/ApiState.h"
#include "kestrel/api/CallShape.h"
#include "kestrel/api/CursorSteps.h"
#include "kestrel/api/Wire.h"
#include "kestrel/api/WireRows.h"

namespace kestrel::daemon {

using api::GetState;
namespace wire = api::wire;

namespace {

// A handle that no table knows (kind 15): what a handle the client does not hold becomes.
constexpr KSHandle kForeignHandle = 0xF0000000u;
// How often a client's stream looks whether the client is still there.
constexpr auto kStreamPoll = std::chrono::milliseconds(200);
// A fetch ends once its rows take this many bytes, well below what a message may carry; the
// client reads the rest with its next fetch.
constexpr size_t kFetchBytes = size_t{1} << 20;

void Log(const std::string& line) { std::fprintf(stderr, "kestreld: %s\n", line.c_str()); }

bool IsLive(KSHandle handle) {
  api::State& s = GetState();
  std::lock_guard lock(s.mutex);
  switch (handle >> 28) {
    case 1: return s.connections.Get(handle) != nullptr;
    case 2: return s.metas.Get(handle) != nullptr;
    case 3: return s.sessions.Get(handle) != nullptr;
    case 4: return s.transactions.Get(handle) != nullptr;
    case 5: return s.objects.Get(handle) != nullptr;
    case 6: return s.cursors.Get(handle) != nullptr;
    case 9: return s.signals.Get(handle) != nullptr;
    default: return false;
  }
}

size_t CursorFieldCount(KSHandle cursor) {
  api::State& s = GetState();
  std::lock_guard lock(s.mutex);
  const api::OpenCursor* c = s.cursors.Get(cursor);
  return c ? c->engine->Fields().size() : 0;
}

rpc::Event ToEvent(const KSEventRecord& record) {
  rpc::Event event;
  event.set_kind(record.kind);
  event.set_code(record.code);
  event.set_handle(record.handle);
  for (int32_t i = 0; i < record.valueCount; ++i) wire::ToWire(record.values[i], *event.add_values());
  return event;
}

void Push(Client& client, rpc::Event event) {
  {
    std::lock_guard lock(client.mutex);
    client.events.push_back(std::move(event));
  }
  client.wake.notify_one();
}

void OnClientEvent(const KSEventRecord* event, void* client) {
  Push(*static_cast<Client*>(client), ToEvent(*event));
}

// Commit progress, reported from the commit's worker while the call waits: sent on the
// committing client's event stream, counted for the call's reply.
struct Committing {
  Client* client;
  int32_t reports = 0;
};
std::mutex progressMutex;
std::map<KSHandle, Committing> committing;  // by transaction

void SendProgress(int32_t percentage, const char16_t* text, KSBool finished, KSHandle transaction) {
  std::lock_guard lock(progressMutex);
  auto found = committing.find(transaction);
  if (found == committing.end()) return;
  rpc::Event event;
  event.set_handle(transaction);
  rpc::Progress& p = *event.mutable_progress();
  p.set_percentage(percentage);
  if (text != nullptr) p.set_text(wire::Bytes(text));
  p.set_finished(finished);
  ++found->second.reports;
  Push(*found->second.client, std::move(event));
}

// Registers the commit's transaction for its progress reports while it lives.
class CommitScope {
 public:
  CommitScope(Client& client, KSHandle transaction) : transaction_(transaction) {
    if (transaction_ == 0) return;
    std::lock_guard lock(progressMutex);
    committing[transaction_] = Committing{&client};
  }
  ~CommitScope() {
    if (transaction_ == 0) return;
    std::lock_guard lock(progressMutex);
    committing.erase(transaction_);
  }
  int32_t Reports() const {
    if (transaction_ == 0) return 0;
    std::lock_guard lock(progressMutex);
    return committing.at(transaction_).reports;
  }

 private:
  KSHandle transaction_;
};

// One call being served: the client's arguments as the library takes them, and what the call
// made for its own use (sort handles and conditions the client sent) to release after it.
struct Serving {
  Client& client;
  const rpc::CallRequest& request;
  rpc::CallReply& reply;
  wire::Arena arena;
  std::vector<KSHandle> sorts, conditions;
  std::vector<int32_t> outputs = std::vector<int32_t>(8);
  size_t nextOutput = 0;

  ~Serving() {
    api::State& s = GetState();
    std::lock_guard lock(s.mutex);
    for (KSHandle h : sorts) s.sorts.Remove(h);
    for (KSHandle h : conditions) s.conditions.Remove(h);
  }

  KSHandle TakeHandle(const rpc::Value& in) {
    api::State& s = GetState();
    if (in.has_sort()) {
      std::lock_guard lock(s.mutex);
      return sorts.emplace_back(s.sorts.Add(std::make_unique<CursorShape>(wire::FromWire(in.sort()))));
    }
    if (in.has_condition()) {
      std::lock_guard lock(s.mutex);
      return conditions.emplace_back(
          s.conditions.Add(std::make_unique<api::ConditionRef>(api::ConditionRef{wire::FromWire(in.condition())})));
    }
    if (in.handle() == 0) return 0;
    std::lock_guard lock(client.mutex);
    return client.handles.count(in.handle()) != 0 ? in.handle() : kForeignHandle;
  }

  // A session's root transaction is the client's with it, even before the client asks for it.
  void Own(KSHandle handle) {
    if (handle == 0) return;
    KSHandle root = 0;
    if (handle >> 28 == 3) {
      api::State& s = GetState();
      std::lock_guard lock(s.mutex);
      if (const api::Session* session = s.sessions.Get(handle)) root = session->rootTransaction;
    }
    std::lock_guard lock(client.mutex);
    client.handles.insert(handle);
    if (root != 0) client.handles.insert(root);
  }

  template <typename T, typename Item, typename Convert>
  const T* Array(const google::protobuf::RepeatedPtrField<Item>& items, Convert convert) {
    // Never null for a present array, even an empty one: null means something else.
    T* array = arena.Array<T>(std::max(static_cast<size_t>(items.size()), size_t{1}));
    for (int i = 0; i < items.size(); ++i) array[i] = convert(items.Get(i));
    return array;
  }

  template <typename T>
  T Take(const rpc::Value& in, size_t outputCount) {
    if constexpr (std::is_same_v<T, KSHandle>) {
      return TakeHandle(in);
    } else if constexpr (std::is_same_v<T, int32_t>) {
      return in.integer();
    } else if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, void*>) {
      if (in.has_absent()) return nullptr;
      if constexpr (std::is_same_v<T, int32_t*>) {
        return &outputs.at(nextOutput++);
      } else if constexpr (std::is_same_v<T, KSField*>) {
        return arena.Array<KSField>(std::max(outputCount, size_t{1}));
      } else if constexpr (std::is_same_v<T, const char16_t*>) {
        return arena.Text(in.text().as_string());
      } else if constexpr (std::is_same_v<T, const char16_t* const*>) {
        return Array<const char16_t*>(in.texts().items(), [&](const rpc::Field& f) {
          return f.has_as_string() ? arena.Text(f.as_string()) : nullptr;
        });
      } else if constexpr (std::is_same_v<T, const KSField*>) {
        return Array<KSField>(in.fields().items(), [&](const rpc::Field& f) { return wire::FromWire(f, arena); });
      } else if constexpr (std::is_same_v<T, const KSArgumentValue*>) {
        return Array<KSArgumentValue>(in.arguments().items(),
                                      [&](const rpc::ArgumentValue& a) { return wire::FromWire(a, arena); });
      } else if constexpr (std::is_same_v<T, const KSErrorRecord*>) {
        KSErrorRecord* error = arena.Array<KSErrorRecord>(1);
        *error = wire::FromWire(in.error());
        return error;
      } else {
        static_assert(std::is_same_v<T, KSCommitProgressCallback>);
        return in.integer() != 0 ? &SendProgress : nullptr;
      }
    } else {
      return T{};  // user data stays in the client
    }
  }

  // How many values an output record array holds: the count the client gave (KSGetValues), or
  // the cursor's fields.
  template <typename... A, size_t... I>
  size_t OutputCount(std::index_sequence<I...>) {
    constexpr size_t kNone = sizeof...(A);
    size_t count = 0;
    (
        [&] {
          if constexpr (std::is_same_v<A, KSField*>) {
            constexpr size_t j = wire::CountIndex<A...>(I);
            if constexpr (j < kNone)
              count = static_cast<size_t>(std::max(request.arguments(static_cast<int>(j)).integer(), 0));
            else
              count = CursorFieldCount(request.arguments(0).handle() != 0 ? TakeHandle(request.arguments(0)) : 0);
          }
        }(),
        ...);
    return count;
  }

  // A count argument never exceeds the arrays it counts, so a client cannot make the library
  // read beyond what arrived; only a count the library refuses unread stays as it came.
  template <typename... A, size_t... I>
  void BoundCounts(std::tuple<A...>& args, std::index_sequence<I...>) {
    (
        [&] {
          using T = std::tuple_element_t<I, std::tuple<A...>>;
          constexpr bool isArray = std::is_same_v<T, const char16_t* const*> ||
                                   std::is_same_v<T, const KSField*> ||
                                   std::is_same_v<T, const KSArgumentValue*>;
          if constexpr (isArray) {
            constexpr size_t j = wire::CountIndex<A...>(I);
            if constexpr (j < sizeof...(A)) {
              const rpc::Value& in = request.arguments(static_cast<int>(I));
              const int size = in.has_texts() ? in.texts().items_size()
                               : in.has_fields() ? in.fields().items_size()
                                                 : in.arguments().items_size();
              int32_t& count = std::get<j>(args);
              if (!in.has_absent() && count > size && count <= wire::kMaxListLength) count = size;
            }
          }
        }(),
        ...);
  }

  template <typename R, typename... A>
  void PutResult(const R& result, const std::tuple<A...>& args) {
    rpc::Value& out = *reply.mutable_result();
    if constexpr (std::is_same_v<R, KSHandle>) {
      Own(result);
      out.set_handle(result);
    } else if constexpr (std::is_same_v<R, int32_t>) {
      out.set_integer(result);
    } else {
      if (result == nullptr) {
        out.set_absent(true);
        return;
      }
      int32_t n = 1;
      constexpr size_t k = wire::FirstCountOutput<A...>();
      if constexpr (k < sizeof...(A))
        n = std::get<k>(args) != nullptr ? *std::get<k>(args) : 0;
      using T = std::remove_cv_t<std::remove_pointer_t<R>>;
      for (int32_t i = 0; i < n; ++i) {
        if constexpr (std::is_same_v<T, char16_t>) {
          out.mutable_text()->set_as_string(wire::Bytes(result));
        } else if constexpr (std::is_same_v<R, const char16_t* const*>) {
          rpc::Field& item = *out.mutable_texts()->add_items();
          if (result[i] != nullptr) item.set_as_string(wire::Bytes(result[i]));
        } else if constexpr (std::is_same_v<T, KSHandle>) {
          Own(result[i]);
          out.mutable_handles()->add_items(result[i]);
        } else if constexpr (std::is_same_v<T, KSField>) {
          wire::ToWire(result[i], *out.mutable_fields()->add_items());
        } else if constexpr (std::is_same_v<T, KSFieldDescription>) {
          wire::ToWire(result[i], *out.mutable_descriptions()->add_items());
        } else if constexpr (std::is_same_v<T, KSErrorRecord>) {
          wire::ToWire(result[i], *out.mutable_errors()->add_items());
        } else {
          static_assert(std::is_same_v<T, KSSignalArgInfo>);
          wire::ToWire(result[i], *out.mutable_arg_infos()->add_items());
        }
      }
    }
  }

  template <typename... A, size_t... I>
  void PutOutputs(const std::tuple<A...>& args, size_t outputCount, std::index_sequence<I...>) {
    (
        [&] {
          using T = std::tuple_element_t<I, std::tuple<A...>>;
          if constexpr (wire::kIsOutput<T>) {
            rpc::Value& out = *reply.add_outputs();
            const T p = std::get<I>(args);
            if (p == nullptr) {
              out.set_absent(true);
            } else if constexpr (std::is_same_v<T, int32_t*>) {
              out.set_integer(*p);
            } else {
              auto& fields = *out.mutable_fields();
              for (size_t i = 0; i < outputCount; ++i) wire::ToWire(p[i], *fields.add_items());
            }
          }
        }(),
        ...);
  }
};

template <typename R, typename... A>
void Serve(R (*function)(A...), Serving& call) {
  if (call.request.arguments_size() != static_cast<int>(sizeof...(A))) throw std::invalid_argument("arguments");
  const auto sequence = std::index_sequence_for<A...>{};
  const size_t outputCount = call.OutputCount<A...>(sequence);
  std::tuple<A...> args = [&]<size_t... I>(std::index_sequence<I...>) {
    return std::tuple<A...>{call.Take<A>(call.request.arguments(static_cast<int>(I)), outputCount)...};
  }(sequence);
  call.BoundCounts(args, sequence);
  const R result = std::apply(function, args);
  call.PutResult(result, args);
  call.PutOutputs(args, outputCount, sequence);
}

// The functions a client forwards (those with a handle, and the connection), by their number.
#define KS_SERVED(X)                                                                              \
  X(KSFormatMessage) X(KSFormatError) X(KSConnectServer) X(KSDisconnectServer) X(KSCloseServer)    \
  X(KSGetAvailableMetas) X(KSGetMetaName) X(KSGetMetaVersion) X(KSSearchMeta) X(KSReleaseMeta)     \
  X(KSGetAvailableServices) X(KSGetAvailableDatabases) X(KSRestoreDBFromArchive) X(KSSaveDB)       \
  X(KSShutdownDB) X(KSShutdownDBEx) X(KSDestroyDB) X(KSCreateEmptyDB) X(KSCloneDB)                 \
  X(KSSaveDBToAsciiFile) X(KSCreateDBFromAsciiFile) X(KSCreateDBFromRDBMS) X(KSEnableJournal)      \
  X(KSDisableJournal) X(KSGetDBMemoryUsage) X(KSCheckDatabaseIntegrity)                            \
  X(KSGetAvailableTransactions) X(KSCreateSession) X(KSReleaseSession)                             \
  X(KSChangeSessionLanguage) X(KSGetConnectedUsers) X(KSGetRootTrn) X(KSGetFlags)                  \
  X(KSGetClassName) X(KSGetClassID) X(KSGetBaseClass) X(KSIsDescendentOf) X(KSGetTableNames)       \
  X(KSGetGlobalIndexes) X(KSGetIndexFields) X(KSGetFields) X(KSGetDescendents)                     \
  X(KSGetClassFlags) X(KSGetValueListText) X(KSGetClassRootAccess) X(KSGetClassVersionAccess)      \
  X(KSGetServiceAccess) X(KSGetFieldDefaultValue) X(KSGetAvailableSignals)                         \
  X(KSSubscribeToTableTriggers) X(KSUnsubscribeToTableTriggers) X(KSStartTransaction)              \
  X(KSGetStartTransactionError) X(KSFindTransaction) X(KSReleaseTransaction) X(KSRollback)         \
  X(KSCommit) X(KSSetDescription) X(KSGetLastErrors) X(KSLockDatabase) X(KSLockTable)              \
  X(KSCreateNewLink) X(KSDestroyLink) X(KSDestroyAll) X(KSGetObject) X(KSGetObjectTable)           \
  X(KSReleaseObject) X(KSDestroyObject) X(KSGetValues) X(KSSetValues) X(KSCreateCursor)            \
  X(KSCreateChildCursor) X(KSReleaseCursor) X(KSSetFetchBuffer) X(KSGetCount) X(KSGotoFirst)       \
  X(KSGotoLast) X(KSGotoNext) X(KSGotoPrevious) X(KSGoto) X(KSGotoRecordID) X(KSGotoFirstMatch)    \
  X(KSGetCurrentValues) X(KSGetNextRecord) X(KSGetPreviousRecord) X(KSGetCurrentRecordPos)         \
  X(KSGetCurrentRecordID) X(KSInsertNewRecord) X(KSSetCurrentValues) X(KSDeleteCurrentRecord)      \
  X(KSCursorIDCompare) X(KSGetSignalArgsInfo) X(KSInstanciateSignal) X(KSGetInstanciatedSignals)   \
  X(KSReleaseSignal) X(KSDeleteSignal) X(KSGetSignalName) X(KSGetSignalID)                         \
  X(KSGetSignalArguments) X(KSGetSignalCheckInterval) X(KSSetSignalCheckInterval)                  \
  X(KSSetSignalSendEvent) X(KSDoesSignalSendEvent) X(KSIsSignalSuspended) X(KSIsSignalRaised)      \
  X(KSSuspendSignal) X(KSResumeSignal) X(KSEvaluateSignalNow)

// The steps of a client's fetch buffer (F_FetchRows): up to the asked number of steps in one
// direction, each answered as KSGetNextRecord or KSGetPreviousRecord answers it, with the place
// it reached; the fetch ends after a step that reaches no row. The rows' values travel as one
// block, their field names once.
void ServeFetch(Serving& call) {
  const auto& arguments = call.request.arguments();
  if (arguments.size() != 3) throw std::invalid_argument("arguments");
  const KSHandle cursor = call.TakeHandle(arguments[0]);
  const bool forward = arguments[1].integer() != 0;
  const int32_t steps = std::clamp(arguments[2].integer(), 1, wire::kMaxFetchRows);
  rpc::Rows& rows = *call.reply.mutable_rows();
  std::string& block = *rows.mutable_values();
  api::StepCursor(cursor, forward, steps,
                  [&](KSStatus status, int32_t position, KSRecordID id, const KSField* values, size_t count) {
                    rows.add_status(status);
                    rows.add_position(position);
                    rows.add_record_id(id);
                    if (status != KS_OK) return false;
                    if (rows.names_size() == 0)
                      for (size_t f = 0; f < count; ++f) rows.add_names(wire::Bytes(values[f].name));
                    wire::AppendValues(values, count, block);
                    return block.size() < kFetchBytes;
                  });
}

// Puts the client's cursors back where the client shows them, before its call.
void PutCursorsBack(Client& client, const rpc::CallRequest& request) {
  for (const rpc::Reposition& back : request.repositions()) {
    bool owned = false;
    {
      std::lock_guard lock(client.mutex);
      owned = client.handles.count(back.cursor()) != 0;
    }
    if (owned) KSGoto(back.cursor(), back.position());
  }
}

using Server = void (*)(Serving&);

const std::map<rpc::Function, Server>& Served() {
#define KS_ENTRY(name) {rpc::F_##name, [](Serving& call) { Serve(&name, call); }},
  static const std::map<rpc::Function, Server> served{KS_SERVED(KS_ENTRY){rpc::F_FetchRows, &ServeFetch}};
#undef KS_ENTRY
  return served;
}

}  // namespace

Service::Service(std::string token) : token_(std::move(token)) {
  KSRegisterEventCallback(0, &Service::OnGlobalEvent, this);
}

Service::~Service() { KSRegisterEventCallback(0, nullptr, nullptr); }

void Service::OnGlobalEvent(const KSEventRecord* event, void* service) {
  auto& self = *static_cast<Service*>(service);
  std::lock_guard lock(self.mutex_);
  for (auto& [id, client] : self.clients_) Push(*client, ToEvent(*event));
}

std::shared_ptr<Client> Service::Find(const std::string& id) {
  std::lock_guard lock(mutex_);
  auto found = clients_.find(id);
  return found != clients_.end() ? found->second : nullptr;
}

grpc::Status Service::Attach(grpc::ServerContext* context, const rpc::AttachRequest* request,
                             grpc::ServerWriter<rpc::Event>* writer) {
  const std::string peer = context->peer();
  // Over TCP the token is the password; a refusal says no more than a failed logon.
  if (peer.rfind("unix:", 0) != 0 && (token_.empty() || request->token() != token_)) {
    Log("refused a client from " + peer + ": wrong or missing token");
    return grpc::Status(grpc::StatusCode::UNAUTHENTICATED, "logon failed");
  }
  auto client = std::make_shared<Client>();
  client->id = request->client();
  client->name = std::to_string(request->pid()) + "@" + request->host() + " (" + peer + ")";
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || client->id.empty() || clients_.count(client->id) != 0) {
      Log("refused client " + client->name + ": " + (stopping_ ? "shutting down" : "bad identity"));
      return grpc::Status(grpc::StatusCode::UNAVAILABLE, "refused");
    }
    clients_[client->id] = client;
  }
  Log("client " + client->name + " attached");
  rpc::Event accepted;
  bool open = writer->Write(accepted);
  while (open && !context->IsCancelled()) {
    std::deque<rpc::Event> pending;
    {
      std::unique_lock lock(client->mutex);
      client->wake.wait_for(lock, kStreamPoll, [&] { return !client->events.empty(); });
      pending.swap(client->events);
    }
    for (const rpc::Event& event : pending) open = open && writer->Write(event);
    std::lock_guard lock(mutex_);
    open = open && !stopping_;
  }
  Release(*client);
  return grpc::Status::OK;
}

void Service::Release(Client& client) {
  {
    std::lock_guard lock(mutex_);
    clients_.erase(client.id);
  }
  const int sessions = ReleaseClient(client);
  Log("client " + client.name + " detached; " + std::to_string(sessions) + " session(s) released");
}

int ReleaseClient(Client& client) {
  // No callback may reach the client once it is gone: registrations go first.
  for (KSHandle h : client.registered) GetState().events.Register(h, nullptr, nullptr);
  std::set<KSHandle> handles;
  {
    std::lock_guard lock(client.mutex);
    handles.swap(client.handles);
  }
  int sessions = 0;
  for (const uint32_t kind : {3u, 2u, 1u}) {
    for (KSHandle h : handles) {
      if (h >> 28 != kind) continue;
      if (kind == 3 && KSReleaseSession(h) == KS_OK) ++sessions;
      if (kind == 2) KSReleaseMeta(h);
      if (kind == 1) KSDisconnectServer(h);
    }
  }
  return sessions;
}

grpc::Status Service::Call(grpc::ServerContext*, const rpc::CallRequest* request, rpc::CallReply* reply) {
  const std::shared_ptr<Client> client = Find(request->client());
  if (!client) return grpc::Status(grpc::StatusCode::UNAUTHENTICATED, "not attached");
  return ServeCall(*client, *request, *reply);
}

grpc::Status ServeCall(Client& client, const rpc::CallRequest& request, rpc::CallReply& reply) {
  if (request.function() == rpc::F_KSGetOpenHandleCount) {
    std::lock_guard lock(client.mutex);
    reply.mutable_result()->set_integer(static_cast<int32_t>(client.handles.size()));
    return grpc::Status::OK;
  }
  const auto server = Served().find(request.function());
  if (server == Served().end()) {
    Log("client " + client.name + " called an unknown function " + std::to_string(request.function()));
    return grpc::Status(grpc::StatusCode::UNIMPLEMENTED, "unknown function");
  }
  KSHandle transaction = 0;
  if (request.function() == rpc::F_KSCommit && request.arguments_size() > 0) {
    std::lock_guard lock(client.mutex);
    if (client.handles.count(request.arguments(0).handle()) != 0) transaction = request.arguments(0).handle();
  }
  CommitScope commit(client, transaction);
  PutCursorsBack(client, request);
  try {
    Serving call{client, request, reply, {}, {}, {}};
    server->second(call);
  } catch (const std::exception& e) {
    Log("client " + client.name + ": malformed call " + std::to_string(request.function()) + ": " + e.what());
    reply.Clear();
    return grpc::Status(grpc::StatusCode::INVALID_ARGUMENT, "malformed call");
  }
  reply.set_progress_count(commit.Reports());
  if (auto which = wire::LastErrorOf(request.function())) reply.set_last_error(api::LastErrorOf(*which));
  std::lock_guard lock(client.mutex);
  for (auto h = client.handles.begin(); h != client.handles.end();) {
    if (IsLive(*h)) {
      ++h;
      continue;
    }
    reply.add_released(*h);
    client.registered.erase(*h);
    h = client.handles.erase(h);
  }
  return grpc::Status::OK;
}

grpc::Status Service::RegisterEvents(grpc::ServerContext*, const rpc::RegisterRequest* request,
                                     rpc::RegisterReply* reply) {
  const std::shared_ptr<Client> client = Find(request->client());
  if (!client) return grpc::Status(grpc::StatusCode::UNAUTHENTICATED, "not attached");
  const KSHandle handle = request->handle();
  {
    std::lock_guard lock(client->mutex);
    if (handle == 0 || client->handles.count(handle) == 0) {
      reply->set_status(KS_ERR_INVALID_HANDLE);
      return grpc::Status::OK;
    }
    if (request->registered())
      client->registered.insert(handle);
    else
      client->registered.erase(handle);
  }
  reply->set_status(request->registered() ? KSRegisterEventCallback(handle, &OnClientEvent, client.get())
                                          : KSRegisterEventCallback(handle, nullptr, nullptr));
  return grpc::Status::OK;
}

void Service::Stop() {
  std::lock_guard lock(mutex_);
  stopping_ = true;
  for (auto& [id, client] : clients_) client->wake.notify_one();
}

bool SaveModifiedDatabases() {
  api::State& s = GetState();
  std::lock_guard lock(s.mutex);
  bool saved = true;
  for (const auto& [dir, server] : s.servers) {
    if (!server->Running()) continue;
    for (const SchemaPtr& schema : server->Metas()) {
      for (const DatabasePtr& db : server->DatabasesOf(*schema)) {
        if (!db->Modified()) continue;
        const KSStatus status = server->Save(db->Name());
        if (status == KS_OK) continue;
        saved = false;
        Log("could not save database " + db->Name() + " of server " + server->Name() + ": status " +
            std::to_string(status));
      }
    }
  }
  return saved;
}

}  // namespace kestrel::daemon
