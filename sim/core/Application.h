#pragma once
// An application of the simulated phone, as the core knows it: what runs in one
// of its processes and shows in that process's window. The core starts each
// application inside its process (see ApplicationKind) and reaches it only
// through this interface: the application in front, URLs, the picker, going back
// and, for the home screen, what the home gesture does.
//
// Every call comes inside the application's process.

#include <memory>
#include <string>

class UIViewController;
class UIWindow;

namespace kavro::sim {

class Application {
 public:
  Application() = default;
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The window its screen shows in.
  virtual std::shared_ptr<UIWindow> window() const = 0;
  // The identifier of the application a person sees in front while this process
  // is in front: Settings names itself; the home screen names the application
  // opened over it, or "" when the home screen itself shows.
  virtual std::string frontApplication() const = 0;

  // Opens a URL the system hands it. False, with a message on standard error, when
  // it cannot (by default it opens none).
  virtual bool openURL(const std::string& url);
  // Presents the bundle's picker for the list `key` over whatever it shows, as the
  // home-screen extension presents it (by default, from the front-most controller
  // of its window).
  virtual void presentPicker(const std::string& key);
  // The URL of the page it shows, to open it again ("prefs:root=NAME" for a
  // bundle's page in Settings); "" when it shows none (by default).
  virtual std::string address();
  // Pops the top page of its navigation; false when there is none (by default
  // there never is).
  virtual bool back();

  // The preference bundle NAME was installed again (its files changed): what the
  // application shows of it is brought up to date, in place (nothing by default).
  virtual void bundleReinstalled(const std::string& name);

  // The home screen's part (nothing by default). Shows the home screen with no
  // application over it, at once.
  virtual void showHomeScreen();
  // The home gesture while the home screen is in front already.
  virtual void homeGesture();

  // The bundle's picker for `key`, as the extension presents it: in a navigation
  // controller with large titles, presented from `host`.
  static void presentPickerFrom(const std::shared_ptr<UIViewController>& host, const std::string& key);
};

}  // namespace kavro::sim
