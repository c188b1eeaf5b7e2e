#pragma once
// The bundle's settings page: the master switch under the header picture, the apply
// and guide buttons in the navigation bar, the rows of the "Root" list with their
// tinted symbol icons, the version footer, the guide sheet, the reset and the
// opening of the application picker.

#include "platform/onboardingkit/OBWelcomeController.h"
#include "platform/preferences/PSListController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIImageView.h"
#include "switch/KavroSwitch.h"

#include <cstdint>
#include <memory>

class KavroRootListController : public PSListController, public KavroSwitchDelegate {
  KAVRO_OBJC_CLASS(KavroRootListController)
 public:
  // Makes the master switch and the bar buttons; nil when the superclass fails.
  std::shared_ptr<UIViewController> init() override;
  // The "Root" rows, loaded once; every call rebuilds the rows' symbol icons.
  std::shared_ptr<PSSpecifierArray> specifiers() override;
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

  // Table overrides.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) override;
  std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                 long section) override;
  std::optional<CGFloat> heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                  long section) override;
  std::shared_ptr<UIView> viewForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                 long section) override;
  std::optional<CGFloat> heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                  long section) override;

  // The header picture for the current appearance.
  void setHeaderImage();
  // The master switch shows the stored `enabled`, without animation.
  void setEnableSwitchState();
  // Stores the state the master switch is about to take.
  void toggleState(const std::shared_ptr<NSObject>& sender);
  void switchStateChanged(std::int32_t state) override;

  // Commands.
  void applyChanges();
  void showInfo();
  void dismissInfo();
  void resetPrefs();
  void selectBlacklistedApps();

  // Properties.
  std::shared_ptr<UIBarButtonItem> apply() const { return apply_; }
  void setApply(const std::shared_ptr<UIBarButtonItem>& item) { apply_ = item; }
  std::shared_ptr<UIBarButtonItem> info() const { return info_; }
  void setInfo(const std::shared_ptr<UIBarButtonItem>& item) { info_ = item; }
  std::shared_ptr<KavroSwitch> enableSwitch() const { return enableSwitch_; }
  void setEnableSwitch(const std::shared_ptr<KavroSwitch>& control) { enableSwitch_ = control; }
  std::shared_ptr<UIView> headerView() const { return headerView_; }
  void setHeaderView(const std::shared_ptr<UIView>& view) { headerView_ = view; }
  std::shared_ptr<UIImageView> headerImageView() const { return headerImageView_; }
  void setHeaderImageView(const std::shared_ptr<UIImageView>& view) { headerImageView_ = view; }
  std::shared_ptr<OBWelcomeController> infoController() const { return infoController_; }
  void setInfoController(const std::shared_ptr<OBWelcomeController>& controller) { infoController_ = controller; }

 private:
  void enableSwitchValueChanged(const std::shared_ptr<NSObject>& sender);
  std::string versionLine();

  std::shared_ptr<UIBarButtonItem> apply_;
  std::shared_ptr<UIBarButtonItem> info_;
  std::shared_ptr<KavroSwitch> enableSwitch_;
  std::shared_ptr<UIView> headerView_;
  std::shared_ptr<UIImageView> headerImageView_;
  std::shared_ptr<OBWelcomeController> infoController_;
  // A tap has been reported and the switch has not flipped yet (why the two flags:
  // the comment over the master switch's methods in the source).
  bool tapInFlight_ = false;
  // The page is setting the switch from the store.
  bool showingStoredState_ = false;
};
