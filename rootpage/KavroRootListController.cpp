#include "rootpage/KavroRootListController.h"

#include "platform/objc/Class.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSURL.h"
#include "platform/frontboardservices/FBSSystemService.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/springboardservices/SBSRelaunchAction.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "rootpage/BundleExecutable.h"
#include "selector/KavroApplicationSelector.h"
#include "store/Preferences.h"
#include "style/Style.h"

#include <string>

KAVRO_OBJC_CLASS_IMPLEMENTATION(KavroRootListController, PSListController,
                                .method("toggleState:", &KavroRootListController::toggleState)
                                .method("applyChanges", &KavroRootListController::applyChanges)
                                .method("showInfo", &KavroRootListController::showInfo)
                                .method("dismissInfo", &KavroRootListController::dismissInfo)
                                .method("resetPrefs", &KavroRootListController::resetPrefs)
                                .method("selectBlacklistedApps", &KavroRootListController::selectBlacklistedApps)
                                .method("enableSwitchValueChanged:",
                                        &KavroRootListController::enableSwitchValueChanged))

namespace {

// The header's pictures, in the installed bundle.
constexpr const char* kDarkHeaderPicture = "constellation-dark.png";
constexpr const char* kLightHeaderPicture = "constellation-light.png";
constexpr const char* kTitle = "Kavro";

struct GuideItem {
  const char* title;
  const char* description;
  const char* symbol;
};
// The symbols inside the texts are single characters: ⨁ U+2A01, ⓧ U+24E7, ⇕ U+21D5.
constexpr GuideItem kGuideItems[] = {
    {"Acessing Shortcuts", "3D Touch on an apps icon to view & manage its shortcuts", "hand.point.up.fill"},
    {"Adding Apps",
     "When adding to an app that does not have any shortcuts yet, tap the \u2A01 button. To add shortcuts to an "
     "app that already has exisiting shortcuts, long press on any shortcut icon to open application picker.",
     "plus.circle.fill"},
    {"Removing Apps",
     "To remove an app shortcut, long press on any existing shortcut to open the application picker. Swipe left on "
     "an app in the current apps section and tap the \u24E7 button.",
     "minus.circle.fill"},
    {"Rearranging Apps",
     "To rearrange app shortcuts, long press on any existing shortcut to open the application picker. Tap the "
     "\u21D5 button and drag shortcuts to their desired position.",
     "arrow.up.and.down.circle.fill"},
};

std::string headerPicturePath(const std::shared_ptr<UITraitCollection>& traits) {
  bool dark = traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark;
  return std::string(kavro::kBundlePath) + "/" + (dark ? kDarkHeaderPicture : kLightHeaderPicture);
}

}  // namespace

using kavro::style::accentColor;

// ---------------------------------------------------------------------------
// Construction

std::shared_ptr<UIViewController> KavroRootListController::init() {
  if (!PSListController::init()) return nullptr;
  auto self = this->self<KavroRootListController>();

  // The master switch: large, created off, the page its delegate and target.
  enableSwitch_ = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeLarge, KavroSwitchStateOff);
  enableSwitch_->setDelegate(std::static_pointer_cast<KavroSwitchDelegate>(self));
  enableSwitch_->setThumbOnTintColor(accentColor());
  enableSwitch_->setThumbOffTintColor(UIColor::labelColor());
  enableSwitch_->setTrackOnTintColor(UIColor::secondaryLabelColor());
  enableSwitch_->setTrackOffTintColor(UIColor::secondaryLabelColor());
  enableSwitch_->setTranslatesAutoresizingMaskIntoConstraints(false);
  enableSwitch_->addTarget(self, "toggleState:", UIControlEventTouchUpInside);
  // A flip the switch makes without a tap (at the end of a thumb drag) is stored too.
  enableSwitch_->addTarget(self, "enableSwitchValueChanged:", UIControlEventValueChanged);

  apply_ = kavro::style::symbolBarButtonItem("checkmark.circle.fill", self, "applyChanges");
  apply_->setTintColor(accentColor());
  info_ = kavro::style::symbolBarButtonItem("info.circle.fill", self, "showInfo");
  info_->setTintColor(accentColor());
  auto space = alloc<UIBarButtonItem>()->initWithBarButtonSystemItem(UIBarButtonSystemItemFixedSpace, self, SEL());
  space->setWidth(2.0);
  navigationItem()->setRightBarButtonItems({space, apply_, space, info_, space});
  return self;
}

std::shared_ptr<PSSpecifierArray> KavroRootListController::specifiers() {
  if (!specifiers_) specifiers_ = loadSpecifiersFromPlistName("Root", self<KavroRootListController>());
  for (auto& specifier : *specifiers_) {
    PlistValue system = specifier->propertyForKey("iconImageSystem");
    if (system.isNil()) continue;
    std::string name = system["name"].stringOr("");
    auto configuration = UIImageSymbolConfiguration::configurationWithPointSize(25.0, UIImageSymbolWeightSemibold,
                                                                                UIImageSymbolScaleMedium);
    auto image = UIImage::systemImageNamed(name, configuration);
    specifier->setProperty(image ? image->imageWithTintColor(accentColor()) : nullptr, "iconImage");
  }
  return specifiers_;
}

void KavroRootListController::loadView() {
  PSListController::loadView();
  if (auto navigation = navigationController()) navigation->navigationBar()->setPrefersLargeTitles(true);
  navigationItem()->setLargeTitleDisplayMode(UINavigationItemLargeTitleDisplayModeAlways);
}

// ---------------------------------------------------------------------------
// Header, sections and appearance

void KavroRootListController::viewDidLoad() {
  PSListController::viewDidLoad();
  if (!kavro::store::preferencesFileExists()) showInfo();

  headerView_ = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, 200, 250));
  headerImageView_ = alloc<UIImageView>()->initWithFrame(CGRectMake(0, 0, 200, 250));
  headerImageView_->setContentMode(UIViewContentModeScaleAspectFit);
  headerImageView_->setTintColor(accentColor());
  headerImageView_->setTranslatesAutoresizingMaskIntoConstraints(false);
  headerView_->addSubview(headerImageView_);
  headerView_->addSubview(enableSwitch_);

  // The switch's top 20 points under the picture and its bottom at the header's
  // bottom need a 230-point header; the layout engine gives one of them up.
  NSLayoutConstraint::activateConstraints({
      headerImageView_->topAnchor()->constraintEqualToAnchor(headerView_->topAnchor(), 40),
      headerImageView_->leadingAnchor()->constraintEqualToAnchor(headerView_->leadingAnchor()),
      headerImageView_->trailingAnchor()->constraintEqualToAnchor(headerView_->trailingAnchor()),
      headerImageView_->bottomAnchor()->constraintEqualToAnchor(headerView_->bottomAnchor(), -80),
      enableSwitch_->topAnchor()->constraintEqualToAnchor(headerImageView_->bottomAnchor(), 20),
      enableSwitch_->bottomAnchor()->constraintEqualToAnchor(headerView_->bottomAnchor()),
      enableSwitch_->centerXAnchor()->constraintEqualToAnchor(headerImageView_->centerXAnchor()),
      enableSwitch_->widthAnchor()->constraintEqualToConstant(50),
      enableSwitch_->heightAnchor()->constraintEqualToConstant(40),
  });
  setHeaderImage();
  table()->setTableHeaderView(headerView_);
}

void KavroRootListController::setHeaderImage() {
  headerImageView_->setImage(UIImage::imageWithContentsOfFile(headerPicturePath(traitCollection())));
}

void KavroRootListController::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&) {
  if (headerImageView_) setHeaderImage();
}

std::shared_ptr<UITableViewCell> KavroRootListController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  tableView->setTableHeaderView(headerView_);
  return PSListController::cellForRowAtIndexPath(tableView, indexPath);
}

std::shared_ptr<UIView> KavroRootListController::viewForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                                        long section) {
  return kavro::style::sectionHeaderLabel(titleForHeaderInSection(tableView, section).value_or(""));
}

std::optional<CGFloat> KavroRootListController::heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                                         long section) {
  return titleForHeaderInSection(tableView, section) ? 40.0 : 10.0;
}

std::string KavroRootListController::versionLine() {
  std::string version = bundle() ? bundle()->objectForInfoDictionaryKey("CFBundleShortVersionString").stringOr("")
                                 : std::string();
  return "Version " + (version.empty() ? std::string("1.0") : version);
}

std::shared_ptr<UIView> KavroRootListController::viewForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                                        long section) {
  if (section == numberOfGroups() - 1) {
    CGFloat screenWidth = UIScreen::mainScreen()->bounds().size.width;
    auto label = alloc<UILabel>()->initWithFrame(CGRectMake(screenWidth / 2 - 100, 0, 200, 100));
    label->setNumberOfLines(2);
    label->setTextColor(UIColor::secondaryLabelColor());
    label->setTextAlignment(NSTextAlignmentCenter);
    std::string version = versionLine();
    auto text = alloc<NSMutableAttributedString>()->initWithString(std::string(kTitle) + "\n" + version);
    text->addAttribute(NSFontAttributeName, UIFont::systemFontOfSize(18, UIFontWeightSemibold),
                       NSStringRangeOfString(text->string(), kTitle));
    text->addAttribute(NSFontAttributeName, UIFont::systemFontOfSize(12, UIFontWeightRegular),
                       NSStringRangeOfString(text->string(), version));
    label->setAttributedText(text);
    return label;
  }
  if (titleForHeaderInSection(tableView, section)) return PSListController::viewForFooterInSection(tableView, section);
  return nullptr;
}

std::optional<CGFloat> KavroRootListController::heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                                         long section) {
  long groups = numberOfGroups();
  if (section == groups - 1) return 50.0;
  if (section == groups - 2) return PSListController::heightForFooterInSection(tableView, section);
  return 0.0;
}

void KavroRootListController::viewWillAppear(bool animated) {
  PSListController::viewWillAppear(animated);
  setEnableSwitchState();
  if (auto navigation = navigationController())
    if (auto bar = navigation->navigationItem()->navigationBar()) bar->sizeToFit();
  kavro::style::tintKeyWindowWithAccent();
  if (!kavro::store::preferencesFileExists()) showInfo();
}

void KavroRootListController::viewDidDisappear(bool animated) {
  kavro::style::clearKeyWindowTint();
  PSListController::viewDidDisappear(animated);
}

// ---------------------------------------------------------------------------
// The master switch
//
// Three ways in, because the switch reports a change in three ways. A tap reaches
// the page first as the delegate's switchStateChanged, before the switch flips: the
// page stores the state the switch is about to take and sets tapInFlight_. The flip
// itself comes as the value-changed event at the end of the overshoot, which clears
// tapInFlight_; a thumb drag released off the thumb flips the switch without any tap
// report, so the value-changed event stores the shown state too. toggleState: is
// also the touch-up-inside target; without a tap in flight it stores only what the
// switch shows, so a stray event never stores the negation of an unchanged state.
// showingStoredState_ covers the page setting the switch from the store on every
// appearance: the value-changed event that causes must not write the value back.

void KavroRootListController::setEnableSwitchState() {
  showingStoredState_ = true;
  enableSwitch_->setOn(kavro::store::readEnabled(), false);
  showingStoredState_ = false;
}

void KavroRootListController::switchStateChanged(std::int32_t) {
  tapInFlight_ = true;
  toggleState(enableSwitch_);
}

void KavroRootListController::toggleState(const std::shared_ptr<NSObject>& sender) {
  auto control = std::dynamic_pointer_cast<KavroSwitch>(sender);
  if (!control) control = enableSwitch_;
  if (tapInFlight_) {
    // The tap is reported before the switch flips: store the state it is about to take.
    kavro::store::writeEnabled(!control->isOn());
    return;
  }
  // A touch-up-inside that comes with no tap changes nothing on the switch: the
  // store keeps (or takes) the state the switch shows.
  if (kavro::store::readEnabled() != control->isOn()) kavro::store::writeEnabled(control->isOn());
}

void KavroRootListController::enableSwitchValueChanged(const std::shared_ptr<NSObject>&) {
  tapInFlight_ = false;
  if (showingStoredState_) return;
  if (kavro::store::readEnabled() != enableSwitch_->isOn()) kavro::store::writeEnabled(enableSwitch_->isOn());
}

// ---------------------------------------------------------------------------
// Apply, guide, reset, picker

void KavroRootListController::applyChanges() {
  kavro::style::playFeedbackSound();
  auto relaunchClass = dynamic_cast<const SBSRelaunchActionClass*>(NSClassFromString("SBSRelaunchAction"));
  auto url = NSURL::URLWithString(kavro::kRootPageURL);
  auto action = relaunchClass ? relaunchClass->actionWithReason("RestartRenderServer", 4, url) : nullptr;
  auto serviceClass = dynamic_cast<const FBSSystemServiceClass*>(NSClassFromString("FBSSystemService"));
  auto service = serviceClass ? serviceClass->sharedService() : nullptr;
  auto actions = action ? NSSet::setWithObject(action) : nullptr;

  auto alert = UIAlertController::alertControllerWithTitle(kTitle, "Applying changes requires a respring",
                                                           UIAlertControllerStyleActionSheet);
  auto self = this->self<KavroRootListController>();
  alert->addAction(UIAlertAction::actionWithTitle("Respring", UIAlertActionStyleDefault, [self, service, actions](auto&) {
    self->dismissViewControllerAnimated(true, [service, actions] {
      // Without the system's relaunch classes there is nothing to hand over.
      if (service && actions) service->sendActions(actions, nullptr);
    });
  }));
  presentViewController(alert, true, nullptr);
}

void KavroRootListController::showInfo() {
  kavro::style::playFeedbackSound();
  // A sheet already on screen stays: a second one would stack on it, and its
  // Dismiss button would then close the wrong one.
  if (infoController_ && infoController_->presentingViewController() && !infoController_->isBeingDismissed()) return;

  auto picture = UIImage::imageWithContentsOfFile(headerPicturePath(traitCollection()));
  infoController_ = alloc<OBWelcomeController>()->initWithTitle(
      kTitle, "Please review the following guide before using the tweak", picture);
  for (const GuideItem& item : kGuideItems)
    infoController_->addBulletedListItemWithTitle(item.title, item.description,
                                                  UIImage::systemImageNamed(item.symbol));

  auto button = OBTrayButton::buttonWithType(UIButtonTypeCustom);
  button->addTarget(self<KavroRootListController>(), "dismissInfo", UIControlEventTouchUpInside);
  button->setTitle("Dismiss", UIControlStateNormal);
  button->setClipsToBounds(true);
  button->setTitleColor(UIColor::labelColor(), UIControlStateNormal);
  button->setBackgroundColor(accentColor());
  button->layer()->setCornerRadius(12.0);
  infoController_->buttonTray()->addButton(button);
  infoController_->buttonTray()->effectView()->setEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));

  if (auto sheetView = infoController_->viewIfLoaded()) {
    auto backdrop = alloc<UIVisualEffectView>()->initWithFrame(sheetView->bounds());
    backdrop->setEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));
    sheetView->insertSubview(backdrop, 0);
    sheetView->setBackgroundColor(UIColor::clearColor());
  }
  infoController_->setModalPresentationStyle(UIModalPresentationPageSheet);
  infoController_->setModalInPresentation(false);
  infoController_->set_shouldInlineButtontray(true);
  presentViewController(infoController_, true, nullptr);
}

void KavroRootListController::dismissInfo() {
  if (infoController_) infoController_->dismissViewControllerAnimated(true, nullptr);
}

void KavroRootListController::resetPrefs() {
  auto alert = UIAlertController::alertControllerWithTitle("Kavro\n", "All settings will be lost. Continue?",
                                                           UIAlertControllerStyleAlert);
  auto self = this->self<KavroRootListController>();
  alert->addAction(UIAlertAction::actionWithTitle("Reset Settings", UIAlertActionStyleDestructive, [self](auto&) {
    kavro::style::playFeedbackSound();
    kavro::store::removeDomain();
    self->applyChanges();
  }));
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleDefault, [self](auto&) {
    self->dismissViewControllerAnimated(true, [] {});
  }));
  presentViewController(alert, true, nullptr);
}

void KavroRootListController::selectBlacklistedApps() {
  auto selector = alloc<KavroApplicationSelector>()->initWithIdentifier(kavro::store::kBlacklistKey);
  auto navigation = alloc<UINavigationController>()->initWithRootViewController(selector);
  navigation->navigationBar()->setPrefersLargeTitles(true);
  presentViewController(navigation, true, nullptr);
}
