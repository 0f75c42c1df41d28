#include "objectmodel/KRDataSet_CO_Database_Language.h"

#include <cstdlib>
#include <string_view>

#include "platform/win32/Library.h"
#include "platform/win32/Registry.h"

namespace {

struct TKRLocaleName {
  uint32_t localeID;
  const char* language;  // ISO 639
  const char* country;   // ISO 3166
  const char* abbreviation;
};

// Each language's first entry is its primary locale.
constexpr TKRLocaleName kLocales[] = {
    {1033, "en", "US", "ENU"}, {2057, "en", "GB", "ENG"}, {3081, "en", "AU", "ENA"},
    {4105, "en", "CA", "ENC"}, {5129, "en", "NZ", "ENZ"}, {6153, "en", "IE", "ENI"},
    {1031, "de", "DE", "DEU"}, {2055, "de", "CH", "DES"}, {3079, "de", "AT", "DEA"},
    {1036, "fr", "FR", "FRA"}, {2060, "fr", "BE", "FRB"}, {3084, "fr", "CA", "FRC"},
    {4108, "fr", "CH", "FRS"}, {1040, "it", "IT", "ITA"}, {2064, "it", "CH", "ITS"},
    {3082, "es", "ES", "ESN"}, {2058, "es", "MX", "ESM"}, {1043, "nl", "NL", "NLD"},
    {2067, "nl", "BE", "NLB"}, {1046, "pt", "BR", "PTB"}, {2070, "pt", "PT", "PTG"},
    {1053, "sv", "SE", "SVE"}, {1030, "da", "DK", "DAN"}, {1044, "nb", "NO", "NOR"},
    {1035, "fi", "FI", "FIN"}, {1039, "is", "IS", "ISL"}, {1045, "pl", "PL", "PLK"},
    {1029, "cs", "CZ", "CSY"}, {1051, "sk", "SK", "SKY"}, {1038, "hu", "HU", "HUN"},
    {1060, "sl", "SI", "SLV"}, {1050, "hr", "HR", "HRV"}, {1048, "ro", "RO", "ROM"},
    {1026, "bg", "BG", "BGR"}, {1049, "ru", "RU", "RUS"}, {1058, "uk", "UA", "UKR"},
    {1061, "et", "EE", "ETI"}, {1062, "lv", "LV", "LVI"}, {1063, "lt", "LT", "LTH"},
    {1032, "el", "GR", "ELL"}, {1055, "tr", "TR", "TRK"}, {1037, "he", "IL", "HEB"},
    {1025, "ar", "SA", "ARA"}, {1054, "th", "TH", "THA"}, {1066, "vi", "VN", "VIT"},
    {1057, "id", "ID", "IND"}, {1041, "ja", "JP", "JPN"}, {1042, "ko", "KR", "KOR"},
    {2052, "zh", "CN", "CHS"}, {1028, "zh", "TW", "CHT"},
};

// The locale named by the environment ("ll_CC.codeset@modifier").
std::string EnvironmentAbbreviation() {
  const char* value = std::getenv("LC_ALL");
  if (value == nullptr || *value == 0) value = std::getenv("LANG");
  const std::string_view name = value != nullptr ? value : "";
  if (name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.")) {
    return GetAbbreviatedLanguageName(kKREnglishUnitedStates);
  }
  const std::string_view locale = name.substr(0, name.find_first_of(".@"));
  const size_t separator = locale.find_first_of("_-");
  const std::string_view language = locale.substr(0, separator);
  const std::string_view country =
      separator == std::string_view::npos ? std::string_view() : locale.substr(separator + 1);
  const TKRLocaleName* primary = nullptr;
  for (const TKRLocaleName& entry : kLocales) {
    if (language != entry.language) continue;
    if (country == entry.country) return entry.abbreviation;
    if (primary == nullptr) primary = &entry;
  }
  return primary != nullptr ? primary->abbreviation : "";
}

// The override in one key: the value named by the executable, else the
// key's default value; false when the key does not exist.
bool ReadOverrideKey(const char* keyPath, std::string& text) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  if (RegQueryValueEx(key, GetModuleFileName(nullptr), text) != ERROR_SUCCESS &&
      RegQueryValueEx(key, std::string(), text) != ERROR_SUCCESS) {
    text.clear();
  }
  RegCloseKey(key);
  return true;
}

}  // namespace

std::string GetAbbreviatedLanguageName(uint32_t localeID) {
  if (localeID == kKRUserDefaultLocale || localeID == kKRSystemDefaultLocale) {
    return EnvironmentAbbreviation();
  }
  for (const TKRLocaleName& entry : kLocales) {
    if (entry.localeID == localeID) return entry.abbreviation;
  }
  return "";
}

std::string GetLocaleOverride() {
  std::string text;
  if (!ReadOverrideKey(kKRLocaleOverrideKey, text)) {
    ReadOverrideKey(kKRProductLocaleOverrideKey, text);
  }
  return text.substr(0, 3);
}

const char16_t* TKRLanguageCode::Get(uint32_t localeID, bool readOverride) {
  if (FCode[0] == 0 && readOverride && localeID == kKRUserDefaultLocale) {
    Store(GetLocaleOverride());
  }
  if (FCode[0] == 0) Store(GetAbbreviatedLanguageName(localeID));
  return FCode;
}

void TKRLanguageCode::Store(const std::string& text) {
  size_t i = 0;
  for (; i < 3 && i < text.size(); ++i) FCode[i] = char16_t(static_cast<unsigned char>(text[i]));
  FCode[i] = 0;
}
