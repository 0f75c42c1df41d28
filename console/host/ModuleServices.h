#pragma once
// IConsoleModuleServices: what a snap-in module built with its own copy of
// the platform offers the console, so that the console's user interface and
// message pump reach the module's copy. The console asks the component data
// for it; a module that shares the console's platform need not offer it.
//
// - SetModalPresenter: the module's forms, message boxes and folder browsers
//   go to `presenter` (owned by the console, valid until the next call or the
//   component data's Destroy; null: the module's default one).
// - ProcessMessages: dispatches the messages posted to the module's windows
//   on the calling thread; *dispatched (optional) receives their number.

#include "platform/com/Unknown.h"

class IModalPresenter;

inline constexpr IID IID_IConsoleModuleServices =
    GuidLiteral("{6A0C2D41-93B7-4E1F-9C35-2B8D7E41F0A6}");

struct IConsoleModuleServices : IUnknown {
  static constexpr const IID& kIID = IID_IConsoleModuleServices;

  virtual HRESULT SetModalPresenter(IModalPresenter* presenter) = 0;
  virtual HRESULT ProcessMessages(int* dispatched) = 0;

 protected:
  ~IConsoleModuleServices() = default;
};
