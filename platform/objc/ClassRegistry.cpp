#include "platform/objc/ClassRegistry.h"

#include "platform/device/Process.h"

#include <map>

namespace {
std::map<std::string, const Class*>& table() {
  static std::map<std::string, const Class*> classes;
  return classes;
}
}  // namespace

void ClassRegistry::registerClass(const Class* cls) {
  if (cls) table()[cls->name()] = cls;
}

const Class* ClassRegistry::lookup(const std::string& name) {
  auto found = table().find(name);
  return found == table().end() ? nullptr : found->second;
}

std::vector<std::string> ClassRegistry::registeredNames() {
  std::vector<std::string> names;
  for (auto& [name, cls] : table()) names.push_back(name);
  return names;
}

const Class* NSClassFromString(const std::string& name) {
  if (kavro::platform::Process* process = kavro::platform::Process::currentOrNull())
    if (process->isClassHidden(name)) return nullptr;
  return ClassRegistry::lookup(name);
}
