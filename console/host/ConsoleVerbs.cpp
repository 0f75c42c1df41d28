#include "console/host/ConsoleVerbs.h"

#include <bit>

namespace {

bool IsVerb(MMC_CONSOLE_VERB verb) { return verb >= MMC_VERB_FIRST && verb <= MMC_VERB_LAST; }

bool IsState(MMC_BUTTON_STATE state) {
  return std::has_single_bit(uint32_t(state)) && state <= BUTTONPRESSED;
}

}  // namespace

HRESULT TConsoleVerbs::GetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL* value) {
  if (value == nullptr) return E_POINTER;
  if (!IsVerb(verb) || !IsState(state)) return E_INVALIDARG;
  *value = Has(verb, state) ? TRUE : FALSE;
  return S_OK;
}

HRESULT TConsoleVerbs::SetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL value) {
  if (!IsVerb(verb) || !IsState(state)) return E_INVALIDARG;
  uint32_t& bits = states_[verb - MMC_VERB_FIRST];
  bits = value ? (bits | state) : (bits & ~uint32_t(state));
  return S_OK;
}

HRESULT TConsoleVerbs::SetDefaultVerb(MMC_CONSOLE_VERB verb) {
  if (verb != MMC_VERB_NONE && !IsVerb(verb)) return E_INVALIDARG;
  default_ = verb;
  return S_OK;
}

HRESULT TConsoleVerbs::GetDefaultVerb(MMC_CONSOLE_VERB* verb) {
  if (verb == nullptr) return E_POINTER;
  *verb = default_;
  return S_OK;
}

void TConsoleVerbs::Reset() {
  states_.fill(0);
  default_ = MMC_VERB_NONE;
}

bool TConsoleVerbs::Has(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state) const {
  return IsVerb(verb) && (states_[verb - MMC_VERB_FIRST] & state) != 0;
}

bool TConsoleVerbs::Available(MMC_CONSOLE_VERB verb) const {
  return Has(verb, ENABLED) && !Has(verb, HIDDEN);
}

const char* VerbName(MMC_CONSOLE_VERB verb) {
  static const char* const kNames[] = {"open",   "copy",    "paste", "delete", "properties",
                                       "rename", "refresh", "print", "cut"};
  return IsVerb(verb) ? kNames[verb - MMC_VERB_FIRST] : "";
}
