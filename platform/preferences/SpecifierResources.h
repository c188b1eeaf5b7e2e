#pragma once
// What a loaded specifier list takes from its bundle: the localized texts of its
// rows, from the strings table named after the list ("Root" reads Root.strings of
// the localization the device's language picks, then of Base.lproj, see NSBundle),
// and the pictures its rows name as "icon".

#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIImage.h"

#include <memory>
#include <string>

namespace kavro::platform::preferences {

// The strings table of a list: its file name without folder or extension
// ("sub/timeDate" reads timeDate.strings).
std::string stringsTableForList(const std::string& listName);
// `text` in the table, else `text` as written.
std::string localizedText(const NSBundle& bundle, const std::string& table, const std::string& text);
// Localizes what rows show: "label", "footerText", "placeholder",
// "staticTextMessage", and every entry of "validTitles" and "shortTitles".
void localizeSpecifiers(const PSSpecifierArray& specifiers, const NSBundle& bundle, const std::string& table);

// The picture NAME of the bundle ("Icon", "Icon.png", "icons/Wifi.png") for a screen
// scale: the "@3x", then "@2x", then plain file on a scale-3 screen (at scale 2,
// "@2x" first; at scale 1 the plain file first). nullptr when the bundle has none
// of them or the name leaves the bundle.
std::shared_ptr<UIImage> bundleImageNamed(const NSBundle& bundle, const std::string& name, CGFloat scale);
// Gives each row with an "icon" and no "iconImage" yet its picture as "iconImage".
// A picture that cannot be found is said once a name on standard error.
void loadIcons(const PSSpecifierArray& specifiers, const NSBundle& bundle);

}  // namespace kavro::platform::preferences
