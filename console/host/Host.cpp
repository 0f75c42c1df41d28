#include "console/host/Host.h"

#include "console/host/ConsoleError.h"
#include "platform/ui/Application.h"
#include "platform/win32/Messages.h"

struct THost::Session {
  TSnapinEntry entry;
  std::unique_ptr<TSnapinModule> module;
  ComPtr<TConsole> console;
};

THost::THost() {
  Application().SetProcessMessagesHandler([this] { Pump(); });
}

THost::~THost() {
  Close();
  Application().SetProcessMessagesHandler({});
}

std::unique_ptr<THost::Session> THost::StartSession(const TSnapinEntry& entry,
                                                    const TConsoleDocument* saved) {
  if (entry.module.empty()) {
    throw EConsoleError("the snap-in " + entry.name + " has no registered module");
  }
  auto session = std::make_unique<Session>();
  session->entry = entry;
  session->module = std::make_unique<TSnapinModule>(entry.module);
  session->console = MakeComObject<TConsole>();
  try {
    ComPtr<IComponentData> data = session->module->CreateComponentData(entry.clsid);
    const bool view = saved != nullptr && saved->hasComponent;
    session->console->Start(std::move(data), saved ? &saved->dataBytes : nullptr,
                            view ? &saved->componentBytes : nullptr, entry.name);
  } catch (...) {
    EndSession(std::move(session));
    throw;
  }
  return session;
}

void THost::EndSession(std::unique_ptr<Session> session) {
  if (!session) return;
  session->console->Close();
  session->console = nullptr;
  session->module.reset();
}

void THost::Replace(std::unique_ptr<Session> session, std::string path) {
  EndSession(std::move(session_));
  session_ = std::move(session);
  path_ = std::move(path);
}

void THost::New(const std::string& snapin) {
  Replace(StartSession(ChooseSnapin(snapin), nullptr), {});
}

void THost::Open(const std::string& path) {
  const TConsoleDocument document = ReadConsoleDocument(path);
  std::optional<TSnapinEntry> entry = FindSnapin(document.snapin);
  if (!entry) {
    throw EConsoleError(path + " holds the snap-in " + GuidToString(document.snapin) +
                        ", which is not registered");
  }
  Replace(StartSession(*entry, &document), path);
}

void THost::Save(const std::string& path) {
  const std::string target = path.empty() ? path_ : path;
  if (target.empty()) throw EConsoleError("the document has no file name yet");
  TConsoleDocument document;
  document.snapin = Current().entry.clsid;
  Current().console->SaveStreams(document.dataBytes, document.componentBytes,
                                 document.hasComponent);
  WriteConsoleDocument(target, document);
  path_ = target;
}

void THost::Close() {
  EndSession(std::move(session_));
  path_.clear();
}

THost::Session& THost::Current() const {
  if (!session_) throw EConsoleError("no document is open (use new or open)");
  return *session_;
}

bool THost::IsDirty() { return session_ && session_->console->IsDirty(); }

const std::string& THost::SnapinName() const { return Current().entry.name; }

TConsole& THost::Console() { return *Current().console; }

int THost::Pump() { return ProcessMessages(); }
