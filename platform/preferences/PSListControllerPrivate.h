#pragma once
// What only the stand-in uses of a list controller: pointing a page of the
// framework's own (a PSListController opened for a row) at the specifier list it
// shows, in the bundle of the page that opened it.

#include "platform/preferences/PSListController.h"

namespace kavro::platform::preferences {

struct ListControllerInternals {
  // The page loads `listName` of `bundle` on first use, and takes its strings and
  // pictures from that bundle.
  static void showList(PSListController& page, const std::shared_ptr<NSBundle>& bundle, const std::string& listName) {
    page.bundle_ = bundle;
    page.listName_ = listName;
    page.loadsNamedList_ = true;
  }
};

}  // namespace kavro::platform::preferences
