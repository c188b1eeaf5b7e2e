#pragma once
// The home screen of the simulated device, standing in for SpringBoard: pages of
// application icons that a horizontal swipe turns, page dots, and a dock of four
// icons (see HomeScreenLayout). A long press on an icon opens the application's
// quick-action menu, whose "Edit Shortcuts" presents the picker for the list keyed
// by the application's identifier and which carries the extension's dock of
// shortcuts (see ShortcutsExtension). A shortcut, or a tap on an icon, opens its
// application in front of the home screen; the home gesture (goHome) takes it
// away again. The icon of an application that runs in a process of its own
// (Settings) brings that process to the front instead.

#include "platform/uikit/UIPageControl.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIViewController.h"
#include "sim/springboard/HomeScreenIconView.h"
#include "sim/springboard/HomeScreenLayout.h"
#include "sim/springboard/HomeScreenPlacement.h"
#include "sim/springboard/OpenedApplicationView.h"
#include "sim/springboard/QuickActionMenuView.h"
#include "sim/springboard/ShortcutsExtension.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

class HomeScreenController : public UIViewController, public UIScrollViewDelegate {
  KAVRO_OBJC_CLASS(HomeScreenController)
 public:
  // The one action every menu has.
  static constexpr const char* kEditShortcutsAction = "Edit Shortcuts";
  // The phone's own dock, where these applications are installed and visible.
  static const std::vector<std::string>& dockApplications();

  std::shared_ptr<UIViewController> init() override;
  // The extension whose dock the menus show; set before the view loads.
  void setExtension(std::shared_ptr<ShortcutsExtension> extension) { extension_ = std::move(extension); }
  void loadView() override;

  // Icons: the grid's, page by page, then the dock's.
  const std::vector<std::shared_ptr<HomeScreenIconView>>& icons() const { return icons_; }
  std::shared_ptr<HomeScreenIconView> iconForIdentifier(const std::string& identifier) const;
  // Turns the grid (at once) to the page that holds an icon.
  void scrollIconIntoView(const std::string& identifier);
  const std::shared_ptr<UIScrollView>& pages() const { return pages_; }
  const std::shared_ptr<UIPageControl>& pageControl() const { return pageControl_; }
  const std::shared_ptr<UIView>& dock() const { return dock_; }
  long currentPage() const;

  // The quick-action menu of an application, over the home screen (nothing while
  // a page is presented or another menu is open).
  void showShortcutMenu(const std::string& identifier);
  // The open menu, or nullptr (a menu that is going counts as closed).
  std::shared_ptr<QuickActionMenuView> menu() const;
  // Closes the open menu; `then` runs once it has gone (at once when none is open).
  void closeMenu(std::function<void()> then = nullptr);

  // Opens an application in front of the home screen, zooming from an icon's
  // picture (window coordinates).
  void openApplication(const std::string& identifier, CGRect fromIcon);
  // What a tap on an icon asks first: whether the system brings the application
  // forward in a process of its own (true: nothing opens on the home screen).
  void setApplicationLauncher(std::function<bool(const std::string&)> launcher) {
    applicationLauncher_ = std::move(launcher);
  }
  // The application in front of the home screen, or "".
  std::string frontApplication() const;
  // Takes the application in front away, zooming into its icon when animated.
  void closeApplication(bool animated);
  // The home gesture: the application in front goes; else the open menu closes;
  // else the grid goes back to its first page.
  void goHome();

  // Presents the picker for a list, as the extension does (`open picker`), over
  // whatever is presented on the home screen.
  void presentPicker(const std::string& key);

  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) override;

 private:
  void iconTapped(const std::string& identifier);
  void pageControlChanged(const std::shared_ptr<NSObject>& sender);
  // The views of loadView: the paging grid, its dots, the dock.
  void buildPages(const HomeScreenLayout& layout, const std::vector<HomeScreenApplication>& grid);
  void buildPageControl(const HomeScreenLayout& layout, std::size_t pageCount);
  void buildDock(const HomeScreenLayout& layout, const std::vector<HomeScreenApplication>& docked);
  std::shared_ptr<HomeScreenIconView> makeIcon(const std::string& identifier, const std::string& name,
                                               CGFloat size, bool showsName);
  // Closes the menu, then presents the picker for its application's list; the menu
  // comes back when the picker has closed.
  void editShortcuts(const std::string& application);
  // Where an application's icon is on the screen now, if it shows.
  std::optional<CGRect> visibleIconFrame(const std::string& identifier) const;

  std::shared_ptr<ShortcutsExtension> extension_;
  std::shared_ptr<UIScrollView> pages_;
  std::shared_ptr<UIPageControl> pageControl_;
  std::shared_ptr<UIView> dock_;
  std::vector<std::shared_ptr<HomeScreenIconView>> icons_;
  std::shared_ptr<QuickActionMenuView> menu_;
  std::shared_ptr<OpenedApplicationView> application_;
  std::function<bool(const std::string&)> applicationLauncher_;
};

}  // namespace kavro::sim
