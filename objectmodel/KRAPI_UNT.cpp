#include "objectmodel/KRAPI_UNT.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/win32/Library.h"

namespace {

std::atomic<const TKRAPITable*> gInstalled{nullptr};

void RequireWideStrings(const TKRAPITable& table, const std::string& origin) {
  if (table.KSUseWideStrings(1) != KS_OK) {
    throw EKRAPILoadError("The Database API " + origin + " refused UTF-16 strings");
  }
}

// The places to look for the library, in the order they are tried: the
// configured path alone when there is one (a library named on purpose is
// never replaced by another copy found elsewhere); otherwise beside the
// module that holds this code, then the loader's path.
std::vector<std::string> Candidates() {
  std::vector<std::string> candidates;
  if (const char* env = std::getenv("KESTREL_API_LIBRARY"); env != nullptr && *env != 0) {
    candidates.emplace_back(env);
    return candidates;
  }
  const std::string own =
      GetModuleFileName(GetModuleHandleFromAddress(reinterpret_cast<const void*>(&KRAPI)));
  if (const size_t slash = own.rfind('/'); slash != std::string::npos) {
    candidates.push_back(own.substr(0, slash + 1) + kKestrelAPILibraryName);
  }
  candidates.emplace_back(kKestrelAPILibraryName);
  return candidates;
}

struct TKRLoadedLibrary {
  HMODULE module = nullptr;
  std::string path;
};

TKRLoadedLibrary OpenLibrary() {
  std::string failures;
  for (const std::string& candidate : Candidates()) {
    if (HMODULE module = LoadLibrary(candidate.c_str())) return {module, candidate};
    failures += "\n  " + candidate + ": " + LoaderErrorText();
  }
  throw EKRAPILoadError(std::string("The Database API library ") + kKestrelAPILibraryName +
                        " could not be loaded:" + failures);
}

// Loads the library and resolves every function; the library stays loaded
// for the life of the process.
TKRAPITable LoadTable() {
  const TKRLoadedLibrary library = OpenLibrary();
  TKRAPITable table;
  auto resolve = [&](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
        GetProcAddress(library.module, name));
    if (entry == nullptr) {
      FreeLibrary(library.module);
      throw EKRAPILoadError("The Database API library " + library.path + " has no function " +
                            name);
    }
  };
#define KR_API_RESOLVE_ENTRY(name) resolve(table.name, #name);
  KR_API_FUNCTIONS(KR_API_RESOLVE_ENTRY)
#undef KR_API_RESOLVE_ENTRY
  RequireWideStrings(table, "library " + library.path);
  return table;
}

const TKRAPITable& LibraryTable() {
  static const TKRAPITable table = LoadTable();
  return table;
}

}  // namespace

const TKRAPITable& KRAPI() {
  if (const TKRAPITable* installed = gInstalled.load(std::memory_order_acquire)) return *installed;
  return LibraryTable();
}

const TKRAPITable* InstallAPITable(const TKRAPITable* table) {
  if (table != nullptr) RequireWideStrings(*table, "table");
  return gInstalled.exchange(table, std::memory_order_acq_rel);
}
