#include "platform/objc/Class.h"

#include "platform/objc/ClassRegistry.h"

#include <mutex>

Class::Class(std::string name, const Class* superclass, std::function<id()> allocator,
             std::map<std::string, IMP> methods)
    : name_(std::move(name)),
      superclass_(superclass),
      allocator_(std::move(allocator)),
      methods_(std::move(methods)) {}

bool Class::isSubclassOfClass(const Class* other) const {
  for (const Class* cls = this; cls; cls = cls->superclass_)
    if (cls == other) return true;
  return false;
}

const IMP* Class::methodForSelector(const SEL& selector) const {
  for (const Class* cls = this; cls; cls = cls->superclass_) {
    auto found = cls->methods_.find(selector.name());
    if (found != cls->methods_.end()) return &found->second;
  }
  return nullptr;
}
