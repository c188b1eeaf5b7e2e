#pragma once
// The page a link row opens. A row names its page's class as "detail". Classes of
// the stand-in (PSListController, PSListItemsController) and classes a loaded
// bundle registered open as they are. A class that does not exist is the bundle's
// own compiled code, which the stand-in cannot run; the specifier list that page
// would have shown is guessed as a person would (guessChildList) and shown by a
// PSListController, else an UnavailablePageController says the page cannot be
// shown. Link-list rows open a PSListItemsController of their choices.

#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class PSListController;

namespace kavro::platform::preferences {

// The specifier lists of a bundle, by name without ".plist", relative to the
// bundle and sorted ("Advanced", "sub/timeDate"): the property lists with "items"
// in it and its folders (at most four deep; not Info.plist, not in ".lproj" folders).
std::vector<std::string> specifierListNames(const NSBundle& bundle);
// The list for a row whose page class `className` cannot run: first a string value
// of the row that names a list of the bundle ("Options", "sub/timeDate", with or
// without ".plist"; the row's own keys before the framework's), else the list with
// the longest name, other than `ownList`, that the class name contains, case aside
// ("XXLockScreenListController" finds LockScreen.plist). nullopt when none fits.
std::optional<std::string> guessChildList(const NSBundle& bundle, const PSSpecifier& row, const std::string& className,
                                          const std::string& ownList);
// The page `row` opens from `opener`, initialised; nullptr when it opens none
// (which is said on standard error). Pages the stand-in stands in for are recorded
// as unavailablePage events (RowActions.h).
std::shared_ptr<UIViewController> makeDetailPage(PSListController& opener, const std::shared_ptr<PSSpecifier>& row);

}  // namespace kavro::platform::preferences
