#pragma once
// What the bundle's pages share in look: the accent purple and the symbol bar
// button (a 30-point button drawing a system symbol, in a bar button item).

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class UIColor;
class UIBarButtonItem;

namespace kavro {

// Red 0.42, green 0.39, blue 0.76: bar buttons, icons, the header picture, the
// switches' on thumb and the key window while a page of the bundle is shown.
std::shared_ptr<UIColor> accentColor();

// A button with frame (0, 0, 30, 30), its image view aspect fit, image insets of -2
// on every side and the symbol as its normal background image, sending `action` to
// `target` on touch up inside; wrapped in a bar button item as its custom view.
std::shared_ptr<UIBarButtonItem> symbolBarButtonItem(const std::string& symbol, const id& target, const SEL& action);

}  // namespace kavro
