#pragma once
// PlistValue to and from libplist 2.2 node trees. Internal to the property-list
// serialization; callers check the nesting depth before converting.

#include "platform/foundation/PlistValue.h"

#include <plist/plist.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::foundation {

struct PlistNodeDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNode = std::unique_ptr<void, PlistNodeDeleter>;

class LibplistConversion {
 public:
  // The tree for `value`; nothing, with the reason in `error`, for what libplist
  // cannot store: nil, strings that are not UTF-8 or hold a NUL character, and
  // dates more than 2^31 seconds from 2001.
  static PlistNode toNode(const PlistValue& value, std::string* error);

  // The value of a tree. `exactDates` are the tree's dates in depth-first order, as
  // read from the bytes; they replace libplist's rounded dates when there is one
  // for every date node (an empty optional keeps libplist's value for that date).
  static std::optional<PlistValue> fromNode(plist_t node,
                                            const std::vector<std::optional<double>>& exactDates,
                                            std::string* error);

  static bool isValidUtf8(const std::string& text);
};

}  // namespace kavro::foundation
