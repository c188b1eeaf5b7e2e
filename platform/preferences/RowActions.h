#pragma once
// What taps on rows do beyond the table: a button row's action sent to its target,
// and the device events that record what the framework could not honour for a row.
// Real bundles name actions, pages and lists of their own compiled code, which the
// stand-in cannot run; such a tap is never dropped silently. Events (the device's
// log shows each with its fields):
//   unhandledAction       {row, action, target}   the target has no such method
//   openURL               {row, url}              the row asks to open a link
//   unavailablePage       {row, class, list}      the page's class is the bundle's
//                                                 own code; `list` is the specifier
//                                                 list shown in its place, if any
//   unavailableDataSource {row, titles, values}   the choices come from methods of
//                                                 the bundle's code

#include "platform/preferences/PSSpecifier.h"

#include <memory>
#include <string>

namespace kavro::platform::preferences {

// Sends the row's "action" to its target: with the specifier as argument when the
// action ends in a colon (a method without arguments ignores it). A row without a
// target, or whose target lacks the method, does nothing; that is said on standard
// error and, for a missing method, recorded as unhandledAction.
void performButtonAction(const std::shared_ptr<PSSpecifier>& row);
void recordOpenURL(const PSSpecifier& row, const std::string& url);
void recordUnavailablePage(const PSSpecifier& row, const std::string& className, const std::string& list);
void recordUnavailableDataSource(const PSSpecifier& row);

}  // namespace kavro::platform::preferences
