#pragma once
// The system's record of installed applications, as the application picker asks it.

#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <vector>

class LSApplicationWorkspace : public NSObject {
  KAVRO_OBJC_CLASS(LSApplicationWorkspace)
 public:
  // The workspace of the current process.
  static std::shared_ptr<LSApplicationWorkspace> defaultWorkspace();

  // One proxy for each installed application, read from the device at each call:
  // the system applications of /Applications, then the user applications of
  // /var/containers/Bundle/Application/UUID/, each group in the order of its folder
  // names. Applications whose Info.plist is missing, unreadable, no dictionary or
  // without an identifier are left out and named on standard error.
  std::vector<std::shared_ptr<LSApplicationProxy>> allInstalledApplications() const;
};
