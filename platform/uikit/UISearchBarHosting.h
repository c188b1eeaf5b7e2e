#pragma once
// How the navigation bar finds the search field of an item's search controller,
// without depending on the search classes themselves.

#include <memory>

class UINavigationItem;
class UIView;

namespace kavro::platform::uikit {
// The search bar view of the item's search controller, or nullptr.
std::shared_ptr<UIView> searchBarViewOf(const std::shared_ptr<UINavigationItem>& item);
}  // namespace kavro::platform::uikit
