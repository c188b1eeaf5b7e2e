#include "platform/objc/NSObject.h"

#include "platform/objc/Class.h"

#include <algorithm>
#include <cstdio>

int SEL::argumentCount() const {
  return static_cast<int>(std::count(name_.begin(), name_.end(), ':'));
}

const Class* NSObject::classObject() {
  static const Class cls("NSObject", nullptr, [] { return std::make_shared<NSObject>(); }, {});
  return &cls;
}

const std::string& NSObject::className() const { return isa()->name(); }

bool NSObject::isKindOfClass(const Class* cls) const { return isa()->isSubclassOfClass(cls); }

bool NSObject::respondsToSelector(const SEL& selector) const {
  return isa()->instancesRespondToSelector(selector);
}

bool NSObject::performSelector(const SEL& selector, const id& argument1, const id& argument2) {
  const IMP* method = isa()->methodForSelector(selector);
  if (!method) return false;
  // Keep the receiver alive for the whole call: a method may drop the last other
  // reference to it (a page dismissing itself, a cell being reused).
  auto keepAlive = shared_from_this();
  (*method)(*this, argument1, argument2);
  return true;
}

std::string NSObject::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return "<" + className() + ": " + address + ">";
}
