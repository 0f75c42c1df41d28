#pragma once
// TConsoleVerbs: the console's verb control (IConsoleVerb). Each verb from
// MMC_VERB_OPEN to MMC_VERB_CUT keeps its button states (ENABLED, CHECKED,
// HIDDEN, INDETERMINATE, BUTTONPRESSED); one state is asked or set at a time.
// The console resets every verb (no state, no default verb) before it tells
// the snap-in of a new selection. A verb is available to the user when it is
// enabled and not hidden.

#include <array>

#include "platform/com/Unknown.h"
#include "platform/mmc/MmcInterfaces.h"

class TConsoleVerbs : public ComObject<IConsoleVerb> {
 public:
  HRESULT GetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL* value) override;
  HRESULT SetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL value) override;
  HRESULT SetDefaultVerb(MMC_CONSOLE_VERB verb) override;
  HRESULT GetDefaultVerb(MMC_CONSOLE_VERB* verb) override;

  void Reset();
  bool Available(MMC_CONSOLE_VERB verb) const;
  MMC_CONSOLE_VERB DefaultVerb() const { return default_; }
  bool Has(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state) const;

 private:
  static constexpr int kVerbs = MMC_VERB_MAX - MMC_VERB_FIRST;
  std::array<uint32_t, kVerbs> states_{};
  MMC_CONSOLE_VERB default_ = MMC_VERB_NONE;
};

// The verb's name as the console shows it ("open", "delete", ...); empty for
// a value that is no verb.
const char* VerbName(MMC_CONSOLE_VERB verb);
