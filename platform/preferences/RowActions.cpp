#include "platform/preferences/RowActions.h"

#include "platform/device/Device.h"

#include <cstdio>

namespace kavro::platform::preferences {

void performButtonAction(const std::shared_ptr<PSSpecifier>& row) {
  SEL action = row->buttonAction();
  auto target = row->target();
  if (!target) {
    std::fprintf(stderr, "Preferences: the row \"%s\" has no target for its action \"%s\"; the tap does nothing\n",
                 row->identifier().c_str(), action.name().c_str());
    return;
  }
  // A method without arguments is sent the selector all the same and ignores the
  // specifier.
  if (target->performSelector(action, row)) return;
  std::fprintf(stderr, "Preferences: %s has no method \"%s\" for the row \"%s\"; the tap does nothing\n",
               target->className().c_str(), action.name().c_str(), row->identifier().c_str());
  kavro::platform::Device::current().record({.event = "unhandledAction",
                                             .fields = {{"row", row->identifier()},
                                                        {"action", action.name()},
                                                        {"target", target->className()}}});
}

void recordOpenURL(const PSSpecifier& row, const std::string& url) {
  kavro::platform::Device::current().record(
      {.event = "openURL", .fields = {{"row", row.identifier()}, {"url", url}}});
}

void recordUnavailablePage(const PSSpecifier& row, const std::string& className, const std::string& list) {
  kavro::platform::Device::current().record(
      {.event = "unavailablePage", .fields = {{"row", row.identifier()}, {"class", className}, {"list", list}}});
}

void recordUnavailableDataSource(const PSSpecifier& row) {
  kavro::platform::Device::current().record(
      {.event = "unavailableDataSource",
       .fields = {{"row", row.identifier()},
                  {"titles", row.propertyForKey("titlesDataSource").stringOr("")},
                  {"values", row.propertyForKey("valuesDataSource").stringOr("")}}});
}

}  // namespace kavro::platform::preferences
