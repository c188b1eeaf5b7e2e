#include "platform/uikit/UIColor.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIColor, NSObject, )

namespace {

UIColor::RGBA bytes(int red, int green, int blue, double alpha = 1.0) {
  return {red / 255.0, green / 255.0, blue / 255.0, alpha};
}

std::shared_ptr<UIColor> fixed(const char* name, UIColor::RGBA value) {
  return UIColor::dynamicColor(name, value, value);
}

int channel(CGFloat value) {
  return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha) {
  RGBA value{red, green, blue, alpha};
  return dynamicColor("", value, value);
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
  return colorWithRed(white, white, white, alpha);
}

std::shared_ptr<UIColor> UIColor::dynamicColor(const std::string& name, RGBA light, RGBA dark) {
  auto color = alloc<UIColor>();
  color->name_ = name;
  color->light_ = light;
  color->dark_ = dark;
  return color;
}

std::shared_ptr<UIColor> UIColor::blackColor() { return fixed("blackColor", {0, 0, 0, 1}); }
std::shared_ptr<UIColor> UIColor::whiteColor() { return fixed("whiteColor", {1, 1, 1, 1}); }
std::shared_ptr<UIColor> UIColor::grayColor() { return fixed("grayColor", {0.5, 0.5, 0.5, 1}); }
std::shared_ptr<UIColor> UIColor::clearColor() { return fixed("clearColor", {0, 0, 0, 0}); }
std::shared_ptr<UIColor> UIColor::redColor() { return fixed("redColor", {1, 0, 0, 1}); }

std::shared_ptr<UIColor> UIColor::labelColor() {
  return dynamicColor("labelColor", {0, 0, 0, 1}, {1, 1, 1, 1});
}
std::shared_ptr<UIColor> UIColor::secondaryLabelColor() {
  return dynamicColor("secondaryLabelColor", bytes(60, 60, 67, 0.6), bytes(235, 235, 245, 0.6));
}
std::shared_ptr<UIColor> UIColor::tertiaryLabelColor() {
  return dynamicColor("tertiaryLabelColor", bytes(60, 60, 67, 0.3), bytes(235, 235, 245, 0.3));
}
std::shared_ptr<UIColor> UIColor::systemBlueColor() {
  return dynamicColor("systemBlueColor", bytes(0, 122, 255), bytes(10, 132, 255));
}
std::shared_ptr<UIColor> UIColor::systemRedColor() {
  return dynamicColor("systemRedColor", bytes(255, 59, 48), bytes(255, 69, 58));
}
std::shared_ptr<UIColor> UIColor::systemGrayColor() {
  return dynamicColor("systemGrayColor", bytes(142, 142, 147), bytes(142, 142, 147));
}
std::shared_ptr<UIColor> UIColor::systemGray2Color() {
  return dynamicColor("systemGray2Color", bytes(174, 174, 178), bytes(99, 99, 102));
}
std::shared_ptr<UIColor> UIColor::systemGray3Color() {
  return dynamicColor("systemGray3Color", bytes(199, 199, 204), bytes(72, 72, 74));
}
std::shared_ptr<UIColor> UIColor::systemGray4Color() {
  return dynamicColor("systemGray4Color", bytes(209, 209, 214), bytes(58, 58, 60));
}
std::shared_ptr<UIColor> UIColor::systemGray5Color() {
  return dynamicColor("systemGray5Color", bytes(229, 229, 234), bytes(44, 44, 46));
}
std::shared_ptr<UIColor> UIColor::systemBackgroundColor() {
  return dynamicColor("systemBackgroundColor", bytes(255, 255, 255), bytes(0, 0, 0));
}
std::shared_ptr<UIColor> UIColor::systemGroupedBackgroundColor() {
  return dynamicColor("systemGroupedBackgroundColor", bytes(242, 242, 247), bytes(0, 0, 0));
}
std::shared_ptr<UIColor> UIColor::secondarySystemGroupedBackgroundColor() {
  return dynamicColor("secondarySystemGroupedBackgroundColor", bytes(255, 255, 255),
                      bytes(28, 28, 30));
}
std::shared_ptr<UIColor> UIColor::separatorColor() {
  return dynamicColor("separatorColor", bytes(60, 60, 67, 0.29), bytes(84, 84, 88, 0.6));
}
std::shared_ptr<UIColor> UIColor::tableCellGroupedBackgroundColor() {
  return dynamicColor("tableCellGroupedBackgroundColor", bytes(255, 255, 255), bytes(28, 28, 30));
}

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const {
  RGBA light = light_, dark = dark_;
  light.alpha = alpha;
  dark.alpha = alpha;
  return dynamicColor(name_.empty() ? "" : name_ + "@" + std::to_string(alpha), light, dark);
}

std::shared_ptr<UIColor> UIColor::resolvedColorWithTraitCollection(
    const std::shared_ptr<UITraitCollection>& traits) const {
  RGBA value = rgba(traits ? traits->userInterfaceStyle() : UIUserInterfaceStyleUnspecified);
  return dynamicColor("", value, value);
}

UIColor::RGBA UIColor::rgba(UIUserInterfaceStyle style) const {
  return style == UIUserInterfaceStyleDark ? dark_ : light_;
}

UIColor::RGBA UIColor::rgba() const {
  kavro::platform::Process* process = kavro::platform::Process::currentOrNull();
  bool dark = process && process->device().appearance() == kavro::platform::Appearance::dark;
  return dark ? dark_ : light_;
}

CGColorRef UIColor::CGColor() const {
  RGBA value = rgba();
  return CGColorComponents{value.red, value.green, value.blue, value.alpha};
}

std::string UIColor::hexString(UIUserInterfaceStyle style) const {
  RGBA value = rgba(style);
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", channel(value.red), channel(value.green),
                channel(value.blue), channel(value.alpha));
  return text;
}

std::string UIColor::description() const {
  std::string text = "UIColor " + hexString(UIUserInterfaceStyleLight);
  if (isDynamic()) text += " / " + hexString(UIUserInterfaceStyleDark);
  if (!name_.empty()) text += " (" + name_ + ")";
  return text;
}

bool UIColorEqual(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b) {
  if (!a || !b) return !a && !b;
  return a->isEqual(*b);
}
