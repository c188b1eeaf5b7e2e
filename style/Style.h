#pragma once
// What the bundle's pages and cells share in look and feel, so that both pages and
// every cell look and sound alike: the accent colour, the symbol bar button, the
// section header label, the key window's tint while a page of the bundle is shown,
// and the feedback sound. Built on the platform only, so every folder of the bundle
// may use it.

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class UIColor;
class UIBarButtonItem;
class UILabel;

namespace kavro::style {

// Kavro's own colour: it marks what belongs to the bundle on a page of Settings
// (the bar buttons, the rows' icons and switch details, the header picture, the
// guide's button, the on thumb of every switch) and tints the key window while
// one of the bundle's pages is shown.
std::shared_ptr<UIColor> accentColor();

// A navigation-bar button that shows a system symbol, for the pages' commands
// (apply, the guide, the picker's back, reset and edit). The symbol, the button's
// background image, fills its 30-point square, so it reads as an icon rather than
// as a text button, and takes the item's tint; a tap sends `action` to `target`.
// The item holds the button as its custom view. (The image view's aspect fit and
// -2 insets apply to an image the button does not have.)
std::shared_ptr<UIBarButtonItem> symbolBarButtonItem(const std::string& symbol, const id& target, const SEL& action);

// The header of a section on the bundle's pages: larger and bolder than the
// table's own 13-point section titles, in the secondary label colour, so it reads
// as the title of the rows below it. A new label each call, sized for one short
// line.
std::shared_ptr<UILabel> sectionHeaderLabel(const std::string& text);

// While a page of the bundle is on screen (it appears, or shows again under a
// closing picker), the key window carries the accent, so every view on it without
// a tint of its own (a back button, a system bar button) shows in it.
void tintKeyWindowWithAccent();
// When the page goes away: the rest of Settings keeps the platform's own tint.
void clearKeyWindowTint();

// The click that confirms what a person did: apply, opening the guide, a confirmed
// reset and every tap of a switch cell's switch. It never waits for the sound.
void playFeedbackSound();

}  // namespace kavro::style
