#pragma once
// What the bundle's pages and cells share in look and feel: the accent purple, the
// symbol bar button, the section header label, the key window's tint while a page
// of the bundle is shown, and the feedback sound. Built on the platform only, so
// every folder of the bundle may use it.

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class UIColor;
class UIBarButtonItem;
class UILabel;

namespace kavro::style {

// Red 0.42, green 0.39, blue 0.76: bar buttons, icons, the header picture, the
// switches' on thumb and the key window while a page of the bundle is shown.
std::shared_ptr<UIColor> accentColor();

// A button with frame (0, 0, 30, 30), its image view aspect fit, image insets of -2
// on every side and the symbol as its normal background image, sending `action` to
// `target` on touch up inside; wrapped in a bar button item as its custom view.
std::shared_ptr<UIBarButtonItem> symbolBarButtonItem(const std::string& symbol, const id& target, const SEL& action);

// A section's header: a new 200 × 30 label in 20-point semibold, secondary label
// colour.
std::shared_ptr<UILabel> sectionHeaderLabel(const std::string& text);

// The key window takes the accent as its tint (a page of the bundle comes on screen,
// or the settings page is shown again under a closing picker).
void tintKeyWindowWithAccent();
// The key window goes back to no tint of its own, the platform's default.
void clearKeyWindowTint();

// System sound 1519, played without waiting: apply, the guide, the confirmed reset
// and every tap of a switch cell's switch.
void playFeedbackSound();

}  // namespace kavro::style
