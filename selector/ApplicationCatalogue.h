#pragma once
// The picker's application catalogue, as free functions over lists of application
// proxies: every installed application not tagged hidden, less five system
// identifiers, sorted by display name with the plain string comparison; and the
// name search over it.

#include "platform/foundation/NSString.h"

#include <memory>
#include <string>
#include <vector>

class LSApplicationProxy;

namespace kavro::selector {

using ApplicationList = std::vector<std::shared_ptr<LSApplicationProxy>>;

// The identifiers the catalogue always leaves out, matched exactly.
const std::vector<std::string>& excludedIdentifiers();

// Filters and sorts `installed` (in the order the workspace reports them): entries
// tagged "hidden" and the excluded identifiers go; the rest are sorted ascending by
// display name, names that compare equal keeping their order, and applications
// without a name first.
ApplicationList buildCatalogue(const ApplicationList& installed);

// The lower-cased display names of a catalogue, prepared once so that each
// keystroke only compares (empty for an entry without a name).
std::vector<NSStringSearchText> searchKeys(const ApplicationList& catalogue);

// The entries of `catalogue` whose lower-cased display name contains the
// lower-cased `query` as containsString: tests it (whole characters, accents
// counting), in catalogue order. An empty query matches nothing; so does an entry
// without a name. `keys` are the catalogue's searchKeys.
ApplicationList searchCatalogue(const ApplicationList& catalogue, const std::vector<NSStringSearchText>& keys,
                                const std::string& query);

}  // namespace kavro::selector
