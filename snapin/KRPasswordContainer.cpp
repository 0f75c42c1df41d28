#include "snapin/KRPasswordContainer.h"

#include <string.h>

#include "platform/text/Locale.h"

void WipeText(std::string& text) {
  // The whole buffer: characters beyond size() may hold an older, longer text.
  explicit_bzero(text.data(), text.capacity());
  text.clear();
}

TKRPasswordContainer::~TKRPasswordContainer() {
  for (std::string& password : FPasswordList) WipeText(password);
}

std::ptrdiff_t TKRPasswordContainer::IndexOf(std::string_view uniqueCode) const {
  for (size_t i = 0; i < FUniqueCodeList.size(); ++i) {
    if (AnsiSameText(FUniqueCodeList[i], uniqueCode)) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

void TKRPasswordContainer::AddEntry(const std::string& userName, const std::string& password,
                                    std::string_view uniqueCode) {
  if (const std::ptrdiff_t i = IndexOf(uniqueCode); i >= 0) {
    FUserList[i] = userName;
    // The old text is wiped first; a longer new one then gets a fresh buffer
    // and the wiped one is given back.
    WipeText(FPasswordList[i]);
    FPasswordList[i] = password;
    return;
  }
  FUniqueCodeList.emplace_back(uniqueCode);
  try {
    FUserList.push_back(userName);
    try {
      FPasswordList.push_back(password);
    } catch (...) {
      FUserList.pop_back();
      throw;
    }
  } catch (...) {
    FUniqueCodeList.pop_back();
    throw;
  }
}

bool TKRPasswordContainer::FindUserPassword(std::string& userName, std::string& password,
                                            std::string_view uniqueCode) const {
  const std::ptrdiff_t i = IndexOf(uniqueCode);
  if (i < 0) {
    userName.clear();
    password.clear();
    return false;
  }
  userName = FUserList[i];
  password = FPasswordList[i];
  return true;
}
