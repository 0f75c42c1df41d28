#include "platform/vcl/ClassRegistry.h"

#include <map>
#include <mutex>

#include "platform/text/Locale.h"

namespace {

struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

struct Registry {
  std::mutex mutex;
  std::map<std::string, TComponentFactory, NameLess> classes;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClass(std::string_view name, TComponentFactory factory) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.classes.insert_or_assign(std::string(name), std::move(factory));
}

TComponentFactory GetClass(std::string_view name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.classes.find(name);
  return found == registry.classes.end() ? TComponentFactory() : found->second;
}

TComponentFactory FindClass(std::string_view name) {
  TComponentFactory factory = GetClass(name);
  if (!factory) throw EClassNotFound("Class " + std::string(name) + " not found");
  return factory;
}
