// The input that reaches preference rows' controls and the device's language: the
// slider dragged, a segment tapped, a text field focused, by a finger as a person
// would, through the window.

#include "sim/core/CellControls.h"
#include "sim/core/Input.h"
#include "sim/core/Simulator.h"

#include "platform/preferences/PSListController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

namespace kavro::sim {

namespace {

// How a slide moves the thumb: in this many steps.
constexpr int kSlideSteps = 6;

// Every list page under `controller`: its navigation stack, children, what it presents.
void reloadListPages(const std::shared_ptr<UIViewController>& controller) {
  if (!controller) return;
  if (auto list = std::dynamic_pointer_cast<PSListController>(controller)) {
    list->reloadSpecifiers();
    if (auto table = list->table()) table->reloadData();
  }
  if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller))
    for (const auto& page : navigation->viewControllers()) reloadListPages(page);
  for (const auto& child : controller->childViewControllers())
    if (!std::dynamic_pointer_cast<UINavigationController>(controller)) reloadListPages(child);
  reloadListPages(controller->presentedViewController());
}

}  // namespace

template <typename T>
std::shared_ptr<T> Input::rowControl(const std::string& rowQuery, const char* command, CGRect& frame) {
  if (rowQuery.rfind("row:", 0) != 0) throw InputError(std::string(command) + " takes a row:S,R query");
  requireFreeScreen(kDefaultOwner);
  QueryMatch match = resolveQuery(simulator_, rowQuery);
  kavro::platform::ProcessScope scope(simulator_.frontProcess());
  auto cell = std::dynamic_pointer_cast<UITableViewCell>(match.view);
  auto control = cell ? std::dynamic_pointer_cast<T>(cellControl(*cell)) : nullptr;
  if (!control) throw InputError("the row " + rowQuery.substr(4) + " has no " + command + " control");
  if (auto window = simulator_.frontWindow()) window->layoutIfNeeded();
  frame = control->frameInWindow();
  return control;
}

void Input::slide(const std::string& rowQuery, double value) {
  if (!std::isfinite(value)) throw InputError("slide takes a number");
  CGRect frame;
  auto slider = rowControl<UISlider>(rowQuery, "slider", frame);
  CGPoint from, to;
  {
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    CGRect bounds = slider->bounds();
    CGRect track = slider->trackRectForBounds(bounds);
    CGRect thumb = slider->thumbRectForBounds(bounds, track, slider->value());
    double clamped = std::clamp(value, slider->minimumValue(), slider->maximumValue());
    CGRect target = slider->thumbRectForBounds(bounds, track, clamped);
    from = {frame.origin.x + CGRectGetMidX(thumb), frame.origin.y + CGRectGetMidY(thumb)};
    to = {frame.origin.x + CGRectGetMidX(target), from.y};
  }
  touchDown(from);
  for (int step = 1; step <= kSlideSteps && isTouching(); ++step)
    touchMoveTo(CGPoint{from.x + (to.x - from.x) * step / kSlideSteps, from.y});
  if (isTouching()) touchUp();
}

void Input::segment(const std::string& rowQuery, long index) {
  CGRect frame;
  auto control = rowControl<UISegmentedControl>(rowQuery, "segment", frame);
  long count;
  {
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    count = control->numberOfSegments();
  }
  if (index < 0 || index >= count)
    throw InputError("the row " + rowQuery.substr(4) + " has " + std::to_string(count) + " segments");
  CGFloat width = frame.size.width / static_cast<CGFloat>(count);
  tapAt(CGPoint{frame.origin.x + width * (static_cast<CGFloat>(index) + 0.5), CGRectGetMidY(frame)});
}

void Input::focusRow(const std::string& rowQuery) {
  CGRect frame;
  rowControl<UITextField>(rowQuery, "text", frame);
  tapAt(CGPoint{CGRectGetMidX(frame), CGRectGetMidY(frame)});
}

void Input::setLanguage(const std::string& language) {
  if (!simulator_.device().setLanguage(language))
    throw InputError("not a language tag: \"" + language + "\" (letters, digits, - and _)");
  std::string settings = simulator_.settingsProcessName();
  if (!simulator_.isRunning(settings)) return;
  simulator_.device().dispatch(simulator_.process(settings), [&] {
    for (const auto& window : UIApplication::sharedApplication()->windows()) reloadListPages(window->rootViewController());
  });
}

}  // namespace kavro::sim
