#pragma once
// TMMCObjectFactory: the factory of a console snap-in class. Besides the COM
// class keys (apartment threading) it registers the class with the console,
// under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\MMC:
//
//   Snapins\{clsid} @ = snap-in name, "Provider" = "Norvik",
//                   "NameString" = snap-in name
//   Snapins\{clsid}\StandAlone @ = "" (a stand-alone snap-in)
//
// and removes those keys (StandAlone first) before the COM class keys.

#include <string>

#include "snapin/ThreadedFactory.h"

// Writes one text value under the console's key: "SOFTWARE\Microsoft\MMC",
// a '\' unless `keyName` begins with one, then `keyName`. The empty
// `valueName` is the key's default value; an empty `value` still writes its
// NUL. Raises EOleRegistrationError "Unable to create snapin key" when the
// key cannot be created or the value not set.
void CreateMMCKey(const std::string& keyName, const std::string& valueName,
                  const std::string& value);
// Deletes one key under the console's key (built the same way); failures,
// a missing key among them, are ignored.
void DeleteMMCKey(const std::string& keyName);

class TMMCObjectFactory : public TThreadedAutoObjectFactory {
 public:
  TMMCObjectFactory(std::string snapinName, TComServer& comServer, TAutoClass autoClass,
                    const CLSID& classID, TClassInstancing instancing);

  const std::string& SnapinName() const { return fSnapinName; }
  void SetSnapinName(std::string name) { fSnapinName = std::move(name); }

  void UpdateRegistry(bool doRegister) override;

 private:
  std::string fSnapinName;
};
