// Feeds arbitrary text to the registry file reader. It must accept it or name a line and a
// reason; what it accepts must write out as a text that reads back to the same writing, with
// the same keys and values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/win32/RegistryFile.h"

namespace {

bool SameKeys(const RegistryKey& a, const RegistryKey& b) {
  if (a.Name() != b.Name() || a.Values() != b.Values() ||
      a.Subkeys().size() != b.Subkeys().size())
    return false;
  for (auto x = a.Subkeys().begin(), y = b.Subkeys().begin(); x != a.Subkeys().end(); ++x, ++y)
    if (x->first != y->first || !SameKeys(*x->second, *y->second)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegistryTree tree;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto error = ParseRegistry(text, tree)) {
    if (error->Line < 1 || error->Problem.empty()) std::abort();
    return 0;
  }
  const std::string once = FormatRegistry(tree);
  RegistryTree again;
  if (ParseRegistry(once, again) || FormatRegistry(again) != once) std::abort();
  for (size_t i = 0; i < tree.Roots.size(); ++i)
    if (!SameKeys(tree.Roots[i], again.Roots[i])) std::abort();
  return 0;
}
