#pragma once
// The table behind NSClassFromString. Classes are registered explicitly: the stand-in
// registers its own classes, and a loaded bundle registers the classes it brings. A
// simulated process may hide a registered class, to behave as a system where that
// class does not exist.

#include "platform/objc/Class.h"

#include <string>
#include <vector>

class ClassRegistry {
 public:
  static void registerClass(const Class* cls);
  // The registered class of that name, ignoring what a process hides.
  static const Class* lookup(const std::string& name);
  static std::vector<std::string> registeredNames();
};

// The class of that name as the current process sees it, or nullptr.
const Class* NSClassFromString(const std::string& name);
inline const std::string& NSStringFromClass(const Class* cls) { return cls->name(); }
