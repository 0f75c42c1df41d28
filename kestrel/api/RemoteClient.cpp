// The client of kestreld: channels to daemons, the remote handles and their storage, the
// event stream of each channel.
#include <grpcpp/grpcpp.h>

#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <random>
#include <sstream>
#include <thread>

#include "kestrel/api/HeldRows.h"
#include "kestrel/api/LocalHost.h"
#include "kestrel/api/Remote.h"
#include "kestrel/daemon/kestrel.grpc.pb.h"
#include "kestrel/engine/DaemonSocket.h"
#include "kestrel/engine/ServerState.h"
#include "kestrel/engine/Text.h"

namespace kestrel::api::remote {

namespace {

// A handle no daemon knows (kind 15): what a handle of another daemon or of this process
// becomes in a call, so that the daemon refuses it as any invalid handle.
constexpr uint32_t kForeignHandle = 0xF0000000u;
// How long a daemon may take to accept a client.
constexpr auto kAttachTimeout = std::chrono::seconds(5);

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string text = s.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string RandomIdentity() {
  std::random_device random;
  std::string id;
  for (int i = 0; i < 4; ++i) {
    const uint32_t word = random();
    id.append(reinterpret_cast<const char*>(&word), sizeof word);
  }
  return id;
}

EventValue ToEventValue(const rpc::Field& field) {
  EventValue value;
  value.type = field.type();
  switch (AlternativeOf(field.type())) {
    case 1:
      value.value = field.as_integer();
      break;
    case 2:
      value.value = field.as_double();
      break;
    case 3:
      if (field.has_as_string()) value.value = wire::Utf16(field.as_string());
      break;
    case 4:
      value.value = Blob(field.as_blob().begin(), field.as_blob().end());
      break;
    default:
      if (field.type() == KS_TYPE_BOOLEAN || field.type() == KS_TYPE_ID) value.value = field.as_integer();
  }
  if (field.has_name()) value.name = wire::Utf16(field.name());
  return value;
}

}  // namespace

// One daemon: its gRPC channel, the identity this process attached with and the stream its
// events arrive on. Lost once the stream ends unasked.
class Channel {
 public:
  Channel(std::shared_ptr<grpc::Channel> channel, std::string token)
      : channel_(std::move(channel)),
        stub_(rpc::Kestrel::NewStub(channel_)),
        client_(RandomIdentity()),
        token_(std::move(token)) {}
  ~Channel() { Close(); }

  // Attaches this process: KS_OK, KS_ERR_LOGON_FAILED when the daemon refuses the token, or
  // KS_ERR_SERVER_NOT_AVAILABLE when it does not accept the client in time.
  KSStatus Attach() {
    if (!channel_->WaitForConnected(std::chrono::system_clock::now() + kAttachTimeout))
      return KS_ERR_SERVER_NOT_AVAILABLE;
    rpc::AttachRequest request;
    request.set_client(client_);
    request.set_token(token_);
    request.set_host(ComputerName());
    request.set_pid(static_cast<int32_t>(::getpid()));
    auto accepted = std::make_shared<std::promise<KSStatus>>();
    std::future<KSStatus> answer = accepted->get_future();
    reader_ = std::thread([this, request, accepted] { Read(request, *accepted); });
    const KSStatus status = answer.wait_for(kAttachTimeout) == std::future_status::ready
                                ? answer.get()
                                : KS_ERR_SERVER_NOT_AVAILABLE;
    if (status != KS_OK) Close();
    return status;
  }

  void Close() {
    closing_ = true;
    stream_.TryCancel();
    if (reader_.joinable()) reader_.join();
  }

  rpc::Kestrel::Stub& Stub() { return *stub_; }
  const std::string& Client() const { return client_; }
  bool Lost() const { return lost_; }

 private:
  void Read(const rpc::AttachRequest& request, std::promise<KSStatus>& accepted);
  // Gives a commit's progress report to the callback of the commit waiting for it.
  void Report(const rpc::Event& event);

  std::shared_ptr<grpc::Channel> channel_;
  std::unique_ptr<rpc::Kestrel::Stub> stub_;
  std::string client_;
  std::string token_;
  grpc::ClientContext stream_;
  std::thread reader_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> lost_{false};
};

namespace {

struct Proxy {
  std::shared_ptr<Channel> channel;
  KSHandle remote = 0;
  std::u16string server;  // the server the handle came from, for the connection-lost event
  void* userData = nullptr;
  wire::Arena storage;
};

// Every channel and remote handle of the process. Made after the library's state (which it
// posts events to), so it goes away first, closing the channels.
struct Registry {
  Registry() { GetState(); }
  ~Registry() {
    for (auto& [target, channel] : channels) channel->Close();
  }
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Channel>> channels;  // by gRPC target
  std::map<KSHandle, Proxy> proxies;
  std::map<std::pair<const Channel*, KSHandle>, KSHandle> byRemote;
  std::map<std::pair<const Channel*, KSHandle>, std::shared_ptr<CommitProgress::Watch>> commits;
  std::map<KSHandle, HeldRows> held;  // of cursors with a fetch buffer of more than one row
  uint32_t next = 1;
  bool serving = false;
};

Registry& GetRegistry() {
  static Registry registry;
  return registry;
}

// Requires the registry's lock.
void Forget(Registry& r, std::map<KSHandle, Proxy>::iterator proxy) {
  r.byRemote.erase({proxy->second.channel.get(), proxy->second.remote});
  r.held.erase(proxy->first);
  r.proxies.erase(proxy);
}

void MarkLost(const Channel* channel) {
  Registry& r = GetRegistry();
  std::vector<std::pair<KSHandle, std::u16string>> told;
  {
    std::lock_guard lock(r.mutex);
    for (const auto& [handle, proxy] : r.proxies) {
      const uint32_t kind = handle >> 28;
      if (proxy.channel.get() == channel && (kind == 1 || kind == 3)) told.emplace_back(handle, proxy.server);
    }
  }
  for (auto& [handle, server] : told)
    GetState().events.Post(handle, KS_EVENT_CONNECTION_LOST, 0, {EventValue::Text(server)});
}

// Where a client finds the daemons of other hosts: $KESTREL_CLIENT_CONFIG, else
// $XDG_CONFIG_HOME/kestrel/client.json, else ~/.config/kestrel/client.json.
std::string ClientConfigPath() {
  if (const char* path = std::getenv("KESTREL_CLIENT_CONFIG"); path != nullptr && *path != '\0')
    return path;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0')
    return std::string(config) + "/kestrel/client.json";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.config/kestrel/client.json";
}

// The channel to the daemon of a host listed in the client configuration; null when the host
// is not listed (or the file cannot be read).
std::shared_ptr<grpc::Channel> ConfiguredChannel(const std::string& host, std::string& target,
                                                 std::string& token) {
  std::ifstream in(ClientConfigPath());
  if (!in) return nullptr;
  const nlohmann::json config = nlohmann::json::parse(in, nullptr, false);
  if (!config.is_object() || !config.contains("hosts") || !config["hosts"].is_object()) return nullptr;
  for (const auto& [name, entry] : config["hosts"].items()) {
    if (!SameName(name, host) || !entry.is_object()) continue;
    target = entry.value("address", "");
    token = ReadText(entry.value("token", ""));
    grpc::SslCredentialsOptions tls;
    tls.pem_root_certs = ReadText(entry.value("ca", ""));
    grpc::ChannelArguments arguments;
    const std::string certificateName = entry.value("certificateName", "");
    if (!certificateName.empty()) arguments.SetSslTargetNameOverride(certificateName);
    return grpc::CreateCustomChannel(target, grpc::SslCredentials(tls), arguments);
  }
  return nullptr;
}

// The attached channel to the daemon of the host; null when no daemon serves it, when the
// daemon of a configured host refused this client, or when the home's daemon that served this
// process is gone (`refusal` then tells why).
std::shared_ptr<Channel> ChannelFor(const std::string& host, KSStatus& refusal) {
  std::string target, token;
  std::shared_ptr<grpc::Channel> grpcChannel = ConfiguredChannel(host, target, token);
  Registry& r = GetRegistry();
  const bool configured = grpcChannel != nullptr;
  // A process once served by the home's daemon stays its client: when that daemon is gone its
  // servers are not available, rather than served here. Serving them here would hide the loss
  // and hold the servers' locks against a daemon started again.
  bool servedBefore = false;
  if (!configured) {
    if (!IsLocalHost(host)) return nullptr;
    target = "unix:" + DaemonSocket(KestrelHome());
    {
      std::lock_guard lock(r.mutex);
      servedBefore = r.channels.contains(target);
    }
    if (!DaemonAnswers(KestrelHome())) {
      if (servedBefore) refusal = KS_ERR_SERVER_NOT_AVAILABLE;
      return nullptr;
    }
  }
  {
    std::lock_guard lock(r.mutex);
    auto found = r.channels.find(target);
    if (found != r.channels.end() && !found->second->Lost()) return found->second;
  }
  if (!grpcChannel) grpcChannel = grpc::CreateChannel(target, grpc::InsecureChannelCredentials());
  auto channel = std::make_shared<Channel>(std::move(grpcChannel), token);
  refusal = channel->Attach();
  if (refusal != KS_OK) {
    // A local host without a daemon answering is served in this process.
    if (!configured && !servedBefore) refusal = KS_OK;
    return nullptr;
  }
  std::lock_guard lock(r.mutex);
  r.channels[target] = channel;
  return channel;
}

bool IsRelease(rpc::Function function) {
  switch (function) {
    case rpc::F_KSDisconnectServer:
    case rpc::F_KSReleaseMeta:
    case rpc::F_KSReleaseSession:
    case rpc::F_KSReleaseTransaction:
    case rpc::F_KSReleaseObject:
    case rpc::F_KSReleaseCursor:
    case rpc::F_KSReleaseSignal:
      return true;
    default:
      return false;
  }
}

// Calls that change no data, so that rows held before them are still what a read would show.
bool ChangesNothing(rpc::Function function) {
  switch (function) {
    case rpc::F_KSCreateCursor:
    case rpc::F_KSCreateChildCursor:
    case rpc::F_KSSetFetchBuffer:
    case rpc::F_KSCursorIDCompare:
    case rpc::F_FetchRows:
      return true;
    default:
      break;
  }
  const std::string& name = rpc::Function_Name(function);
  for (const char* reading : {"F_KSGet", "F_KSGoto", "F_KSIs", "F_KSDoes", "F_KSFormat", "F_KSSearch"})
    if (name.rfind(reading, 0) == 0) return true;
  return false;
}

// Before a call reaches a daemon: its cursors are put back on the rows this process shows, the
// rows held for the cursor called are dropped, and a call that may change data leaves no held
// row to be served. Requires the registry's lock.
void PrepareHeldRows(Registry& r, Call& call) {
  const bool changesNothing = ChangesNothing(call.request.function());
  for (auto& [handle, rows] : r.held) {
    const Proxy& proxy = r.proxies.at(handle);
    if (proxy.channel != call.channel) continue;
    if (const std::optional<int32_t> position = rows.Resync()) {
      rpc::Reposition& back = *call.request.add_repositions();
      back.set_cursor(proxy.remote);
      back.set_position(*position);
    }
    if (handle == call.handle)
      rows.Drop();
    else if (!changesNothing)
      rows.MarkStale();
  }
}

KSStatus Serve(const HeldRows::Row& row, KSField* values) {
  std::copy(row.values.begin(), row.values.end(), values);
  return row.status;
}

}  // namespace

struct CommitProgress::Watch {
  KSCommitProgressCallback callback;
  KSHandle transaction;  // the caller's handle
  std::mutex mutex;
  std::condition_variable arrived;
  int32_t delivered = 0;
};

void Channel::Read(const rpc::AttachRequest& request, std::promise<KSStatus>& accepted) {
  std::unique_ptr<grpc::ClientReader<rpc::Event>> reader = stub_->Attach(&stream_, request);
  rpc::Event event;
  // The daemon's first event (kind 0) accepts the client.
  if (!reader->Read(&event) || event.kind() != 0) {
    const grpc::Status status = reader->Finish();
    accepted.set_value(status.error_code() == grpc::StatusCode::UNAUTHENTICATED ? KS_ERR_LOGON_FAILED
                                                                                : KS_ERR_SERVER_NOT_AVAILABLE);
    return;
  }
  accepted.set_value(KS_OK);
  Registry& r = GetRegistry();
  while (reader->Read(&event)) {
    if (event.has_progress()) {
      Report(event);
      continue;
    }
    KSHandle target = 0;
    if (event.handle() != 0) {
      std::lock_guard lock(r.mutex);
      auto found = r.byRemote.find({this, event.handle()});
      if (found == r.byRemote.end()) continue;
      target = found->second;
    }
    std::vector<EventValue> values;
    for (const rpc::Field& field : event.values()) values.push_back(ToEventValue(field));
    GetState().events.Post(target, event.kind(), event.code(), std::move(values));
  }
  reader->Finish();
  if (!closing_) {
    lost_ = true;
    MarkLost(this);
  }
}

void Channel::Report(const rpc::Event& event) {
  std::shared_ptr<CommitProgress::Watch> watch;
  {
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto found = r.commits.find({this, event.handle()});
    if (found == r.commits.end()) return;
    watch = found->second;
  }
  const rpc::Progress& p = event.progress();
  if (watch->callback != nullptr) {
    const std::u16string text = wire::Utf16(p.text());
    watch->callback(p.percentage(), p.has_text() ? text.c_str() : nullptr, p.finished(), watch->transaction);
  }
  {
    std::lock_guard lock(watch->mutex);
    ++watch->delivered;
  }
  watch->arrived.notify_all();
}

std::chrono::milliseconds RemoteTimeout() {
  const char* seconds = std::getenv("KESTREL_TIMEOUT");
  const long value = seconds != nullptr ? std::strtol(seconds, nullptr, 10) : 0;
  return std::chrono::seconds(value > 0 ? value : 30);
}

Route Begin(KSHandle remote, rpc::Function function, Call& call) {
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  auto proxy = r.proxies.find(remote);
  if (proxy == r.proxies.end()) return Route::kUnknown;
  if (proxy->second.channel->Lost()) return Route::kLost;
  call.channel = proxy->second.channel;
  call.handle = remote;
  call.server = proxy->second.server;
  call.request.set_client(call.channel->Client());
  call.request.set_function(function);
  PrepareHeldRows(r, call);
  return Route::kRemote;
}

bool Send(Call& call) {
  grpc::ClientContext context;
  context.set_deadline(std::chrono::system_clock::now() + RemoteTimeout());
  const bool sent = call.channel->Stub().Call(&context, call.request, &call.reply).ok();
  if (!sent)
    if (auto which = wire::LastErrorOf(call.request.function())) LastErrorOf(*which) = KS_ERR_SERVER_NOT_AVAILABLE;
  return sent;
}

void PutHandle(Call& call, KSHandle handle, rpc::Value& out) {
  if (handle == 0) {
    out.set_handle(0);
  } else if (IsRemote(handle)) {
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto proxy = r.proxies.find(handle);
    const bool same = proxy != r.proxies.end() && proxy->second.channel == call.channel;
    out.set_handle(same ? proxy->second.remote : kForeignHandle);
  } else {
    Guard<bool>(false, [&] {
      State& s = GetState();
      if (const CursorShape* sort = s.sorts.Get(handle))
        wire::ToWire(*sort, *out.mutable_sort());
      else if (const ConditionRef* condition = s.conditions.Get(handle))
        wire::ToWire(*condition->condition, *out.mutable_condition());
      else
        out.set_handle(kForeignHandle);
      return true;
    });
  }
}

KSHandle TakeHandle(Call& call, uint32_t handle) {
  if (handle == 0) return 0;
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  const auto key = std::make_pair(static_cast<const Channel*>(call.channel.get()), handle);
  if (auto found = r.byRemote.find(key); found != r.byRemote.end()) return found->second;
  KSHandle local;
  do {
    local = (handle & 0xF0000000u) | kRemoteBit | (r.next++ & (kRemoteBit - 1));
  } while ((local & (kRemoteBit - 1)) == 0 || r.proxies.count(local) != 0);
  Proxy& proxy = r.proxies[local];
  proxy.channel = call.channel;
  proxy.remote = handle;
  proxy.server = call.server;
  r.byRemote[key] = local;
  return local;
}

wire::Arena& StorageOf(KSHandle handle) {
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  auto proxy = r.proxies.find(handle);
  if (proxy != r.proxies.end()) return proxy->second.storage;
  thread_local wire::Arena unowned;
  return unowned;
}

CommitProgress::CommitProgress(const Call& call, KSCommitProgressCallback callback, KSBool flag,
                               KSHandle transaction)
    : watch_(std::make_shared<Watch>()),
      channel_(call.channel.get()),
      remote_(call.request.arguments(0).handle()) {
  // Reports nobody asked for are counted all the same, so that the caller waits for them.
  watch_->callback = flag != 0 ? callback : nullptr;
  watch_->transaction = transaction;
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  r.commits[{channel_, remote_}] = watch_;
}

CommitProgress::~CommitProgress() {
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  r.commits.erase({channel_, remote_});
}

void CommitProgress::Await(int32_t reports) {
  std::unique_lock lock(watch_->mutex);
  watch_->arrived.wait_for(lock, RemoteTimeout(), [&] { return watch_->delivered >= reports; });
}

void Finish(Call& call) {
  if (auto which = wire::LastErrorOf(call.request.function())) LastErrorOf(*which) = call.reply.last_error();
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  if (call.request.function() == rpc::F_KSSetFetchBuffer && call.reply.result().integer() == KS_OK &&
      r.proxies.count(call.handle) != 0) {
    const int32_t rows = call.request.arguments(1).integer();
    if (rows > 1)
      r.held[call.handle].SetSize(rows);
    else
      r.held.erase(call.handle);
  }
  for (const uint32_t released : call.reply.released()) {
    auto key = r.byRemote.find({call.channel.get(), released});
    if (key != r.byRemote.end()) Forget(r, r.proxies.find(key->second));
  }
}

bool ReleaseLost(KSHandle handle, rpc::Function function) {
  if (!IsRelease(function)) return false;
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  auto proxy = r.proxies.find(handle);
  if (proxy != r.proxies.end()) Forget(r, proxy);
  return true;
}

std::optional<KSStatus> ReadRow(KSHandle cursor, rpc::Function function, KSField* values) {
  if (!IsRemote(cursor) || values == nullptr) return std::nullopt;
  const bool forward = function != rpc::F_KSGetPreviousRecord;
  Registry& r = GetRegistry();
  int32_t size = 0;
  {
    std::lock_guard lock(r.mutex);
    auto held = r.held.find(cursor);
    if (held == r.held.end()) return std::nullopt;
    if (function == rpc::F_KSGetCurrentValues) {
      const HeldRows::Row* row = held->second.Current();
      if (row == nullptr || row->status != KS_OK) return std::nullopt;
      return Serve(*row, values);
    }
    if (const HeldRows::Row* row = held->second.Step(forward)) return Serve(*row, values);
    size = held->second.Size();
  }
  Call call;
  const Route route = Begin(cursor, rpc::F_FetchRows, call);
  if (route == Route::kUnknown) return std::nullopt;
  if (route == Route::kLost) return KS_ERR_SERVER_NOT_AVAILABLE;
  PutHandle(call, cursor, *call.request.add_arguments());
  call.request.add_arguments()->set_integer(forward ? 1 : 0);
  call.request.add_arguments()->set_integer(size);
  if (!Send(call)) return KS_ERR_SERVER_NOT_AVAILABLE;
  std::optional<KSStatus> status;
  {
    std::lock_guard lock(r.mutex);
    auto held = r.held.find(cursor);
    if (held != r.held.end()) {
      if (!held->second.Fill(forward, *call.reply.mutable_rows()))
        status = KS_ERR_INTERNAL;
      else if (const HeldRows::Row* row = held->second.Step(forward))
        status = Serve(*row, values);
    }
  }
  Finish(call);
  return status;
}

std::optional<int32_t> HeldPlace(KSHandle cursor, rpc::Function function) {
  if (!IsRemote(cursor)) return std::nullopt;
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  auto held = r.held.find(cursor);
  const HeldRows::Row* row = held != r.held.end() ? held->second.Current() : nullptr;
  if (row == nullptr) return std::nullopt;
  return function == rpc::F_KSGetCurrentRecordPos ? row->position : row->id;
}

std::optional<KSHandle> ConnectServer(const char16_t* host, const char16_t* server) {
  {
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    if (r.serving || host == nullptr || server == nullptr) return std::nullopt;
  }
  Call call;
  KSStatus refusal = KS_OK;
  call.channel = ChannelFor(ToUtf8(host), refusal);
  if (refusal != KS_OK) {
    LastErrorOf(LastError::kConnect) = refusal;
    return KSHandle{0};
  }
  if (!call.channel) return std::nullopt;
  call.server = server;
  call.request.set_client(call.channel->Client());
  call.request.set_function(rpc::F_KSConnectServer);
  // The daemon serves its own host's servers, whatever name this client knows it by.
  const char16_t* localHost = u"localhost";
  detail::Put(call, localHost, 0, *call.request.add_arguments());
  detail::Put(call, server, 0, *call.request.add_arguments());
  if (!Send(call)) return KSHandle{0};
  const KSHandle handle = TakeHandle(call, call.reply.result().handle());
  Finish(call);
  return handle;
}

int32_t OpenHandleCount() {
  // A daemon counts what it holds for this process (a session's root transaction among them,
  // before it is asked for); the handles of a daemon that is gone count here until released.
  std::map<std::shared_ptr<Channel>, int32_t> held;
  {
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    for (const auto& [handle, proxy] : r.proxies) ++held[proxy.channel];
  }
  int32_t count = 0;
  for (const auto& [channel, proxies] : held) {
    Call call;
    call.channel = channel;
    call.request.set_client(channel->Client());
    call.request.set_function(rpc::F_KSGetOpenHandleCount);
    count += !channel->Lost() && Send(call) ? call.reply.result().integer() : proxies;
  }
  return count;
}

KSStatus RegisterEvents(KSHandle handle, KSEventCallback callback, void* userData) {
  rpc::RegisterRequest request;
  std::shared_ptr<Channel> channel;
  {
    Registry& r = GetRegistry();
    std::lock_guard lock(r.mutex);
    auto proxy = r.proxies.find(handle);
    const uint32_t kind = handle >> 28;
    if (proxy == r.proxies.end() || (kind != 1 && kind != 3)) return KS_ERR_INVALID_HANDLE;
    channel = proxy->second.channel;
    request.set_client(channel->Client());
    request.set_handle(proxy->second.remote);
    request.set_registered(callback != nullptr);
  }
  // Outside every lock: unregistering waits for a running callback, which may call us.
  GetState().events.Register(handle, callback, userData);
  if (channel->Lost()) return callback != nullptr ? KS_ERR_SERVER_NOT_AVAILABLE : KS_OK;
  grpc::ClientContext context;
  context.set_deadline(std::chrono::system_clock::now() + RemoteTimeout());
  rpc::RegisterReply reply;
  if (!channel->Stub().RegisterEvents(&context, request, &reply).ok()) return KS_ERR_SERVER_NOT_AVAILABLE;
  return reply.status();
}

void** UserDataOf(KSHandle handle, uint32_t kind) {
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  auto proxy = r.proxies.find(handle);
  return proxy != r.proxies.end() && (handle >> 28) == kind ? &proxy->second.userData : nullptr;
}

void ServeInProcess() {
  Registry& r = GetRegistry();
  std::lock_guard lock(r.mutex);
  r.serving = true;
}

}  // namespace kestrel::api::remote
