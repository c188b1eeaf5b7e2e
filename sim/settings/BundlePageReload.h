#pragma once
// Bringing Settings' open pages of a bundle up to date after the bundle was
// installed again (its files changed while the phone runs), in place:
// - the first page reads its entries again (a label or icon may have changed);
// - the bundle's own page, when it is the one opened from the first page, loads
//   its rows again; each page pushed above it is kept while the row that opened
//   it is still on the page below (found by its identifier, else its stored key,
//   else its place, each with the same cell type and detail class) and, for a
//   list page, while its list is still in the bundle; the first page that fails
//   goes, with every page above it, at once;
// - each page that loads its rows again stays scrolled where it was: the first
//   row that showed at its top shows there again when it still exists, else the
//   offset is kept as far as the new content allows.
// Pages of the bundle's own code (not opened for a row) are left as they are.
// Stored values are only read.

#include "platform/uikit/UINavigationController.h"

#include <string>

namespace kavro::sim {

void reloadBundlePages(UINavigationController& navigation, const std::string& bundleName);

}  // namespace kavro::sim
