#pragma once
// An unordered collection of distinct objects (by identity).

#include "platform/objc/NSObject.h"

#include <memory>
#include <vector>

class NSSet : public NSObject {
  KAVRO_OBJC_CLASS(NSSet)
 public:
  static std::shared_ptr<NSSet> setWithObject(const id& object);
  static std::shared_ptr<NSSet> setWithObjects(const std::vector<id>& objects);
  std::size_t count() const { return objects_.size(); }
  bool containsObject(const id& object) const;
  const std::vector<id>& allObjects() const { return objects_; }
  id anyObject() const { return objects_.empty() ? nullptr : objects_.front(); }

 private:
  std::vector<id> objects_;
};
