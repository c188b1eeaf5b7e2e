#include "platform/foundation/NSSet.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSSet, NSObject, )

std::shared_ptr<NSSet> NSSet::setWithObject(const id& object) {
  return setWithObjects(object ? std::vector<id>{object} : std::vector<id>{});
}

std::shared_ptr<NSSet> NSSet::setWithObjects(const std::vector<id>& objects) {
  auto set = alloc<NSSet>();
  for (auto& object : objects)
    if (object && !set->containsObject(object)) set->objects_.push_back(object);
  return set;
}

bool NSSet::containsObject(const id& object) const {
  return std::find(objects_.begin(), objects_.end(), object) != objects_.end();
}
