#include "foundation/runtime/Selector.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

struct SelectorName {
  std::string name;
};

namespace {

struct SelectorTable {
  std::mutex mutex;
  std::unordered_map<std::string, std::unique_ptr<SelectorName>> names;
};

SelectorTable& table() {
  // Selectors live for the life of the process, like the runtime's.
  static auto* instance = new SelectorTable;
  return *instance;
}

} // namespace

SEL NSSelectorFromString(std::string_view name) {
  if (name.empty()) return nullptr;
  auto& t = table();
  std::lock_guard lock(t.mutex);
  auto [it, inserted] = t.names.try_emplace(std::string(name));
  if (inserted) it->second = std::make_unique<SelectorName>(SelectorName{std::string(name)});
  return it->second.get();
}

const char* sel_getName(SEL selector) {
  return selector ? selector->name.c_str() : "";
}
