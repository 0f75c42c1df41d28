#include "snapin/MMCFactory.h"

#include "snapin/RegistryKeys.h"

namespace {

std::string MMCKeyPath(const std::string& keyName) {
  std::string path = "SOFTWARE\\Microsoft\\MMC";
  if (keyName.empty() || keyName.front() != '\\') path += '\\';
  return path + keyName;
}

}  // namespace

void CreateMMCKey(const std::string& keyName, const std::string& valueName,
                  const std::string& value) {
  if (WriteRegistryEntry(HKEY_LOCAL_MACHINE, {MMCKeyPath(keyName), valueName, value}) !=
      ERROR_SUCCESS) {
    throw EOleRegistrationError("Unable to create snapin key");
  }
}

void DeleteMMCKey(const std::string& keyName) {
  RegDeleteKey(HKEY_LOCAL_MACHINE, MMCKeyPath(keyName).c_str());
}

TMMCObjectFactory::TMMCObjectFactory(std::string snapinName, TComServer& comServer,
                                     TAutoClass autoClass, const CLSID& classID,
                                     TClassInstancing instancing)
    : TThreadedAutoObjectFactory(comServer, autoClass, classID, instancing, tmApartment),
      fSnapinName(std::move(snapinName)) {}

void TMMCObjectFactory::UpdateRegistry(bool doRegister) {
  const std::string key = "Snapins\\" + GuidToString(ClassID());
  if (doRegister) {
    TThreadedAutoObjectFactory::UpdateRegistry(true);
    CreateMMCKey(key, "", fSnapinName);
    CreateMMCKey(key + "\\StandAlone", "", "");
    CreateMMCKey(key, "Provider", "Norvik");
    CreateMMCKey(key, "NameString", fSnapinName);
  } else {
    DeleteMMCKey(key + "\\StandAlone");
    DeleteMMCKey(key);
    TThreadedAutoObjectFactory::UpdateRegistry(false);
  }
}
