#pragma once
// The values of a libplist 2.2 node tree, as parsed from XML. Internal to the
// property-list serialization; callers check the nesting depth first.

#include "platform/foundation/PlistValue.h"

#include <plist/plist.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::foundation {

struct PlistNodeDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNode = std::unique_ptr<void, PlistNodeDeleter>;

class LibplistConversion {
 public:
  // The value of a tree. `exactDates` and `exactIntegers` are the tree's dates and
  // integers in depth-first order, as read from the text; each list replaces
  // libplist's own values when it has one entry for every such node (an empty
  // optional keeps libplist's value for that node).
  static std::optional<PlistValue> fromNode(plist_t node, const std::vector<std::optional<double>>& exactDates,
                                            const std::vector<std::optional<PlistValue>>& exactIntegers,
                                            std::string* error);
};

}  // namespace kavro::platform::foundation
