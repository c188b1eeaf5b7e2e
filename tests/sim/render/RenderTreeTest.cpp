// The render tree's contract with the browser page: labels in the platform's lines
// and attributed runs, pictures placed by content mode, sheets and materials with
// the values the page draws them with, corners and clipping, what a tap reaches,
// and what a screen reader finds (roles, names, states, identities that last).

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "platform/uikit/UIWindow.h"
#include "platform/uikit/_UIBackdropView.h"
#include "sim/render/RenderTree.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>

namespace kavro::sim {
namespace {

using nlohmann::json;

class RenderTreeTest : public test::DeviceTest {
 protected:
  RenderTreeTest() : assets(root()), tree(assets) {
    window = alloc<UIWindow>()->init();
    root_ = alloc<UIViewController>()->init();
    window->setRootViewController(root_);
    window->makeKeyAndVisible();
  }

  // The window's tree as the page gets it.
  json render(UIUserInterfaceStyle style = UIUserInterfaceStyleLight) {
    return json::parse(tree.render(*window, style));
  }
  // The first view of a tree, depth first, for which `match` holds.
  static json find(const json& view, const std::function<bool(const json&)>& match) {
    if (match(view)) return view;
    for (auto& kid : view.value("kids", json::array()))
      if (json found = find(kid, match); !found.is_null()) return found;
    return nullptr;
  }
  static json byClass(const json& root, const std::string& name) {
    return find(root, [&](const json& view) { return view["k"] == name; });
  }
  void show(const std::shared_ptr<UIView>& view) { root_->view()->addSubview(view); }

  ImageAssets assets;
  RenderTree tree;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> root_;
};

TEST_F(RenderTreeTest, LabelsComeInThePlatformsLinesAndAttributedRuns) {
  auto wrapped = alloc<UILabel>()->initWithFrame(CGRectMake(10, 100, 120, 60));
  wrapped->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
  wrapped->setNumberOfLines(0);
  wrapped->setTextAlignment(NSTextAlignmentCenter);
  wrapped->setText("Apps whose icons never show shortcuts at all");
  show(wrapped);
  auto cut = alloc<UILabel>()->initWithFrame(CGRectMake(10, 200, 60, 20));
  cut->setText("A single line far too long");
  show(cut);
  auto limited = alloc<UILabel>()->initWithFrame(CGRectMake(10, 240, 120, 40));
  limited->setNumberOfLines(2);
  limited->setText("Applications whose icons never show shortcuts in their menus");
  show(limited);

  auto version = alloc<NSMutableAttributedString>()->initWithString("Kavro\nVersion 1.0");
  version->addAttribute(NSFontAttributeName, UIFont::systemFontOfSize(18, UIFontWeightSemibold), {0, 5});
  version->addAttribute(NSFontAttributeName, UIFont::systemFontOfSize(12), {6, 11});
  version->addAttribute(NSForegroundColorAttributeName, UIColor::redColor(), {6, 1});
  auto attributed = alloc<UILabel>()->initWithFrame(CGRectMake(10, 300, 200, 50));
  attributed->setNumberOfLines(2);
  attributed->setAttributedText(version);
  show(attributed);

  json root = render();
  json text = find(root, [](const json& v) { return v.contains("text") && v["f"][1] == 100; })["text"];
  EXPECT_EQ(text["font"], json::array({17, 600}));
  EXPECT_EQ(text["align"], "center");
  EXPECT_EQ(text["n"], 0);
  json lines = json::array();
  for (auto& line : wrapped->linesForWidth(120)) lines.push_back(line);
  EXPECT_EQ(text["lines"], lines) << "the lines the platform broke the text into";
  EXPECT_GE(text["lines"].size(), 3u);
  EXPECT_FALSE(text.contains("cut")) << "without a line limit nothing is cut";

  // Text beyond the line limit is not lost: the last line holds the rest, cut.
  json single = find(root, [](const json& v) { return v.contains("text") && v["f"][1] == 200; })["text"];
  EXPECT_EQ(single["cut"], true);
  EXPECT_EQ(single["lines"], json::array({"A single line far too long"}));
  json two = find(root, [](const json& v) { return v.contains("text") && v["f"][1] == 240; })["text"];
  auto shown = limited->linesForWidth(120);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(two["cut"], true);
  EXPECT_EQ(two["lines"][0], shown[0]);
  std::string last = two["lines"][1];
  EXPECT_EQ(last.rfind(shown[1], 0), 0u) << "the second line goes on from where the platform broke it";
  EXPECT_EQ(last.substr(last.size() - 11), "their menus");

  json runs = find(root, [](const json& v) { return v.contains("text") && v["f"][1] == 300; })["text"]["runs"];
  std::string label = UIColor::labelColor()->hexString(UIUserInterfaceStyleLight);
  std::string red = UIColor::redColor()->hexString(UIUserInterfaceStyleLight);
  EXPECT_EQ(runs, json::parse(R"([[["Kavro", 18, 600, ")" + label + R"("]],
                                   [["V", 12, 400, ")" + red + R"("], ["ersion 1.0", 12, 400, ")" + label + R"("]]])"));
}

TEST_F(RenderTreeTest, PicturesArePlacedByTheContentModeAndServedByURL) {
  auto png = std::make_shared<const std::vector<unsigned char>>(std::vector<unsigned char>{1, 2, 3});
  auto picture = UIImage::imageWithPNGData(png, CGSizeMake(100, 50), 3, "test picture");
  struct Case {
    UIViewContentMode mode;
    std::vector<double> rect;
  } cases[] = {
      {UIViewContentModeScaleToFill, {20, 400, 200, 200}},
      {UIViewContentModeScaleAspectFit, {20, 450, 200, 100}},
      {UIViewContentModeScaleAspectFill, {-80, 400, 400, 200}},
      {UIViewContentModeCenter, {70, 475, 100, 50}},
  };
  for (auto& [mode, rect] : cases) {
    auto view = alloc<UIImageView>()->initWithImage(picture);
    view->setFrame(CGRectMake(20, 400, 200, 200));
    view->setContentMode(mode);
    show(view);
    json img = byClass(render(), "UIImageView")["img"];
    EXPECT_EQ(img["rect"], json(rect)) << "content mode " << mode;
    ASSERT_TRUE(img["src"].is_string());
    std::string url = img["src"];
    ASSERT_EQ(url.rfind("/assets/png/", 0), 0u);
    EXPECT_EQ(assets.png(url.substr(12)), png) << "the URL serves the picture's bytes";
    view->removeFromSuperview();
  }

  // A symbol is named, in the tint around a template.
  auto symbol = alloc<UIImageView>()->initWithImage(UIImage::systemImageNamed("checkmark"));
  symbol->setFrame(CGRectMake(0, 0, 20, 20));
  symbol->setTintColor(UIColor::systemRedColor());
  show(symbol);
  json img = byClass(render(), "UIImageView")["img"];
  EXPECT_EQ(img["sym"], "checkmark");
  EXPECT_EQ(img["tint"], UIColor::systemRedColor()->hexString(UIUserInterfaceStyleLight));
}

TEST_F(RenderTreeTest, SheetsAndMaterialsCarryTheValuesThePageDrawsThemWith) {
  auto page = alloc<UIViewController>()->init();
  page->setModalPresentationStyle(UIModalPresentationPageSheet);
  root_->presentViewController(page, true, nullptr);
  wait(0.1);
  json moving = find(render(), [](const json& v) { return v.contains("sheet"); });
  ASSERT_FALSE(moving.is_null());
  double progress = moving["sheet"]["progress"];
  EXPECT_GT(progress, 0);
  EXPECT_LT(progress, 1);
  wait(1);
  json sheet = find(render(), [](const json& v) { return v.contains("sheet"); });
  EXPECT_EQ(sheet["sheet"], json::parse(R"({"progress": 1, "dim": "#00000059"})"));
  // Its shape is a view's like any other: the top corners rounded, clipping.
  EXPECT_EQ(sheet["r"], 10);
  EXPECT_EQ(sheet["rounded"], json::array({true, true, false, false}));
  EXPECT_EQ(sheet["clip"], true);

  // The picker's backdrop: dark in either appearance, and the page over it in dark.
  auto backdrop = alloc<_UIBackdropView>()->initWithFrame(CGRectZero, true, _UIBackdropViewSettings::settingsForStyle(2));
  backdrop->set_blurRadius(30);
  backdrop->set_saturationDeltaFactor(0);
  auto header = alloc<UILabel>()->initWithFrame(CGRectMake(16, 300, 200, 30));
  header->setText("Current Applications");
  header->setTextColor(UIColor::secondaryLabelColor());
  page->view()->addSubview(header);
  page->view()->insertSubview(backdrop, 0);
  for (auto appearance : {UIUserInterfaceStyleLight, UIUserInterfaceStyleDark}) {
    json root = render(appearance);
    EXPECT_EQ(byClass(root, "_UIBackdropView")["material"],
              json::parse(R"({"backdrop": 2, "radius": 30, "saturation": 0, "tint": "#1C1C1ECC"})"));
    EXPECT_EQ(find(root, [](const json& v) { return v.contains("text"); })["text"]["color"],
              UIColor::secondaryLabelColor()->hexString(UIUserInterfaceStyleDark));
  }

  // A system material follows the appearance.
  auto chrome = alloc<UIVisualEffectView>()->initWithEffect(
      UIBlurEffect::effectWithStyle(UIBlurEffectStyleSystemChromeMaterial));
  backdrop->removeFromSuperview();
  page->view()->addSubview(chrome);
  json light = byClass(render(UIUserInterfaceStyleLight), "UIVisualEffectView")["material"];
  json dark = byClass(render(UIUserInterfaceStyleDark), "UIVisualEffectView")["material"];
  EXPECT_EQ(light["blur"], 10);
  EXPECT_EQ(light["radius"], 30);
  EXPECT_NE(light["tint"], dark["tint"]);
}

TEST_F(RenderTreeTest, CornersClippingAndWhatATapReaches) {
  auto group = alloc<UIView>()->initWithFrame(CGRectMake(16, 100, 358, 60));
  group->setBackgroundColor(UIColor::whiteColor());
  group->layer()->setCornerRadius(10);
  group->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
  group->setClipsToBounds(true);
  auto button = UIButton::buttonWithType(UIButtonTypeSystem);
  button->setFrame(CGRectMake(300, 0, 58, 60));
  button->setTitle("Remove", UIControlStateNormal);
  group->addSubview(button);
  show(group);
  auto round = alloc<UIView>()->initWithFrame(CGRectMake(0, 200, 40, 40));
  round->layer()->setCornerRadius(20);
  show(round);

  json root = render();
  json drawn = find(root, [](const json& v) { return v.value("r", 0.0) == 10; });
  EXPECT_EQ(drawn["rounded"], json::array({true, true, false, false}));
  EXPECT_EQ(drawn["clip"], true);
  EXPECT_FALSE(drawn.contains("tap"));
  EXPECT_FALSE(find(root, [](const json& v) { return v.value("r", 0.0) == 20; }).contains("rounded"))
      << "all four corners is the default";
  json tappable = byClass(root, "UIButton");
  EXPECT_EQ(tappable["tap"], true);
  EXPECT_EQ(byClass(tappable, "UILabel")["pass"], true) << "its title lets touches through to it";

  button->setEnabled(false);
  EXPECT_FALSE(byClass(render(), "UIButton").contains("tap")) << "a disabled control takes no tap";
}

TEST_F(RenderTreeTest, AccessibilityGivesRolesNamesAndStatesUnderIdentitiesThatLast) {
  auto onOff = alloc<UISwitch>()->initWithFrame(CGRectMake(10, 100, 51, 31));
  onOff->setOn(true);
  onOff->setAccessibilityLabel("Haptic Feedback");
  show(onOff);
  auto symbol = UIButton::buttonWithType(UIButtonTypeCustom);
  symbol->setImage(UIImage::systemImageNamed("info.circle.fill"), UIControlStateNormal);
  symbol->setFrame(CGRectMake(300, 50, 30, 30));
  show(symbol);

  json root = render();
  json switchView = byClass(root, "UISwitch");
  EXPECT_EQ(switchView["ax"]["role"], "switch");
  EXPECT_EQ(switchView["ax"]["label"], "Haptic Feedback");
  EXPECT_EQ(switchView["ax"]["checked"], true);
  json button = byClass(root, "UIButton");
  EXPECT_EQ(button["ax"]["role"], "button");
  EXPECT_EQ(button["ax"]["label"], "info.circle.fill");
  for (auto& part : button.value("kids", json::array()))
    EXPECT_TRUE(find(part, [](const json& v) { return v.contains("ax"); }).is_null())
        << "an element's parts are read as part of it";
  // Identities hold from one picture to the next.
  EXPECT_EQ(byClass(render(), "UIButton")["ax"]["id"], button["ax"]["id"]);
  EXPECT_NE(switchView["ax"]["id"], button["ax"]["id"]);

  auto alert = UIAlertController::alertControllerWithTitle("Kavro", "Applying changes requires a respring",
                                                           UIAlertControllerStyleAlert);
  alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
  root_->presentViewController(alert, false, nullptr);
  wait(1);
  json dialog = find(render(), [](const json& v) { return v.contains("ax") && v["ax"]["role"] == "alertdialog"; });
  ASSERT_FALSE(dialog.is_null());
  EXPECT_EQ(dialog["ax"]["label"], "Kavro");
  EXPECT_EQ(dialog["ax"]["value"], "Applying changes requires a respring");
  json cancel = find(dialog, [](const json& v) { return v.contains("ax") && v["ax"]["role"] == "button"; });
  EXPECT_EQ(cancel["ax"]["label"], "Cancel");
}

}  // namespace
}  // namespace kavro::sim
