#pragma once
// Where the console finds snap-ins: the stand-alone snap-ins registered under
// HKLM\SOFTWARE\Microsoft\MMC\Snapins\{clsid} (those with a StandAlone
// subkey; NameString names them), and the module of a class, the default
// value of HKCR\CLSID\{clsid}\InprocServer32.

#include <optional>
#include <string>
#include <vector>

#include "platform/com/Guid.h"

struct TSnapinEntry {
  CLSID clsid{};
  std::string name;    // NameString; the class identifier's text when missing
  std::string module;  // empty when the class has no in-process server
};

// Every registered stand-alone snap-in, in key order. Raises EConsoleError
// when the registry cannot be read.
std::vector<TSnapinEntry> FindStandAloneSnapins();
// The registration of one class: its name when it is a registered snap-in
// (stand-alone or not), its module; nullopt when it has no module.
std::optional<TSnapinEntry> FindSnapin(const CLSID& clsid);
// The stand-alone snap-in whose name (regardless of case) or class
// identifier is `key`; the only one when `key` is empty. Raises
// EConsoleError naming the choices when there is none or more than one.
TSnapinEntry ChooseSnapin(const std::string& key);
