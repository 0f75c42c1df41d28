#pragma once
// Language codes sent to the library: the three-letter abbreviated language
// name of a locale identifier ("ENU" for 1033, English of the United States).
//
// The user's default locale (1024) and the system's (2048) are the locale of
// the process's environment (LC_ALL, else LANG, such as "de_DE.UTF-8");
// the C and POSIX locales and an environment without a locale are English of
// the United States. An identifier or environment locale that is not known
// answers the empty text.
//
// TKRLanguageCode is a proxy's cache of the code (three letters and a
// terminator). A session reads the host process's locale override first when
// its locale is the user's default: HKEY_CURRENT_USER, the runtime's
// locale-override key, else its older product-specific one, the value named
// by the host executable's full path, else the key's default value (at most
// three letters are taken).

#include <cstdint>
#include <string>

inline constexpr uint32_t kKRUserDefaultLocale = 1024;
inline constexpr uint32_t kKRSystemDefaultLocale = 2048;
inline constexpr uint32_t kKREnglishUnitedStates = 1033;

// The registry keys (under HKEY_CURRENT_USER) that may hold the override.
inline constexpr const char* kKRLocaleOverrideKey = "Software\\VAZERir\\Runtime\\Locales";
inline constexpr const char* kKRProductLocaleOverrideKey = "Software\\VAZERir\\Runtime\\Console\\Locales";

std::string GetAbbreviatedLanguageName(uint32_t localeID);
// The host process's locale override, empty when none is set.
std::string GetLocaleOverride();

class TKRLanguageCode {
 public:
  // The cached code, filled first when empty; an API string that lives as
  // long as the cache is not reset.
  const char16_t* Get(uint32_t localeID, bool readOverride);
  void Reset() { FCode[0] = 0; }

 private:
  void Store(const std::string& text);

  char16_t FCode[4] = {};
};
