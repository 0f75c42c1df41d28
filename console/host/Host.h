#pragma once
// THost: the console application's core. It holds at most one document: the
// snap-in module, its component data and the console session over them
// (TConsole). A new document starts the chosen stand-alone snap-in; opening a
// document reads and checks the whole file, then starts its snap-in with the
// saved state, and only when all of that worked replaces the current
// document, so a refused file changes nothing. Saving asks the snap-in for its
// state and writes the document atomically. Failures raise EConsoleError.
//
// Pump dispatches the messages posted to the console's thread, the module's
// windows among them: the module shares the console's platform libraries, so
// its message queue, like its modal presenter, is the console's. The front
// ends call Pump between user actions and install their presenter with
// TPresenterScope.

#include <memory>
#include <string>

#include "console/host/Console.h"
#include "console/host/ConsoleDocument.h"
#include "console/host/SnapinModule.h"
#include "console/host/SnapinRegistry.h"

class THost {
 public:
  THost();
  ~THost();
  THost(const THost&) = delete;
  THost& operator=(const THost&) = delete;

  // `snapin`: a name or class identifier; empty for the only registered one.
  void New(const std::string& snapin = {});
  void Open(const std::string& path);
  // Saves to `path`, or to the document's own path when empty; the saved
  // path becomes the document's.
  void Save(const std::string& path = {});
  // Ends the document (the snap-in is destroyed and its module released).
  void Close();

  bool IsOpen() const { return session_ != nullptr; }
  bool IsDirty();
  // The file the document was opened from or last saved to; empty if none.
  const std::string& DocumentPath() const { return path_; }
  const std::string& SnapinName() const;
  TConsole& Console();

  // Answers the number of messages dispatched.
  int Pump();

 private:
  struct Session;
  std::unique_ptr<Session> StartSession(const TSnapinEntry& entry, const TConsoleDocument* saved);
  void EndSession(std::unique_ptr<Session> session);
  void Replace(std::unique_ptr<Session> session, std::string path);
  Session& Current() const;

  std::unique_ptr<Session> session_;
  std::string path_;
};
