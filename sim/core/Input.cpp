#include "sim/core/Input.h"

#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UIViewPrivate.h"
#include "rootpage/BundleExecutable.h"
#include "sim/core/Screen.h"
#include "sim/core/Simulator.h"

#include <algorithm>

namespace kavro::sim {

namespace {

// How a full swipe, a reorder drag and a flick move: in this many steps.
constexpr int kDragSteps = 6;
// How far below the touched view `touchUp(outside)` takes the finger.
constexpr CGFloat kFarOutside = 200;

CGPoint onScreen(CGPoint point) {
  return {std::clamp(point.x, 0.0, kavro::platform::Device::kScreenWidth),
          std::clamp(point.y, 0.0, kavro::platform::Device::kScreenHeight)};
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t sequenceLength(unsigned char lead) { return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

}  // namespace

// ---------------------------------------------------------------------------
// Touches

bool Input::isTouching() const { return owner_ && (homeGesture_ || simulator_.isFingerDown()); }

std::optional<Input::Owner> Input::touchOwner() const {
  return isTouching() ? owner_ : std::nullopt;
}

void Input::requireFinger(Owner owner) const {
  if (!isTouching() || *owner_ != owner) throw InputRefused("no touch is down (touch-down first)");
}

void Input::requireFreeScreen(Owner owner) const {
  if (isTouching() && *owner_ != owner) throw InputRefused("another client's finger is on the screen");
}

void Input::touchDown(CGPoint point, Owner owner) {
  requireFreeScreen(owner);
  point = onScreen(point);
  kavro::platform::uikit::TouchDriver& finger = simulator_.finger();
  {
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    auto window = simulator_.frontWindow();
    auto hit = window ? window->hitTest(point, nullptr) : nullptr;
    touchedViewBottom_ = hit ? CGRectGetMaxY(hit->frameInWindow()) : point.y;
  }
  owner_ = owner;
  edgeTouch_ = point.y >= kavro::platform::Device::kScreenHeight - kHomeGestureEdge;
  edgeStart_ = point;
  homeGesture_ = false;
  finger.down(point);
}

void Input::touchDown(const std::string& query, Owner owner) {
  requireFreeScreen(owner);
  touchDown(resolveQuery(simulator_, query).point, owner);
}

CGPoint Input::fingerLocation() { return homeGesture_ ? systemLocation_ : simulator_.finger().location(); }

void Input::touchMove(CGFloat dx, CGFloat dy, Owner owner) {
  requireFinger(owner);
  CGPoint at = fingerLocation();
  touchMoveTo({at.x + dx, at.y + dy}, owner);
}

void Input::touchMoveTo(CGPoint point, Owner owner) {
  requireFinger(owner);
  point = onScreen(point);
  if (homeGesture_) {
    systemLocation_ = point;
    return;
  }
  if (edgeTouch_ && edgeStart_.y - point.y >= kHomeGestureDistance) {
    // The system takes the touch over before the window sees this movement.
    simulator_.finger().cancel();
    homeGesture_ = true;
    systemLocation_ = point;
    simulator_.goHome();
    return;
  }
  auto& finger = simulator_.finger();
  if (point.x != finger.location().x || point.y != finger.location().y) finger.moveTo(point);
}

void Input::endSystemGesture() {
  homeGesture_ = false;
  edgeTouch_ = false;
  owner_.reset();
}

void Input::touchUp(bool outside, Owner owner) {
  requireFinger(owner);
  if (homeGesture_) return endSystemGesture();
  auto& finger = simulator_.finger();
  if (outside) {
    CGFloat target = std::max(touchedViewBottom_, finger.location().y) + kFarOutside;
    touchMoveTo({finger.location().x, target}, owner);
  }
  owner_.reset();
  finger.up();
}

void Input::touchCancel(Owner owner) {
  requireFinger(owner);
  if (homeGesture_) return endSystemGesture();
  owner_.reset();
  simulator_.finger().cancel();
}

void Input::releaseOwner(Owner owner) {
  if (isTouching() && *owner_ == owner) touchCancel(owner);
}

// ---------------------------------------------------------------------------
// Gestures

void Input::tap(const std::string& query) {
  requireFreeScreen(kDefaultOwner);
  QueryMatch match = resolveQuery(simulator_, query);
  tapAt(match.point);
}

void Input::tapAt(CGPoint point) {
  touchDown(point);
  touchUp();
}

void Input::longPress(const std::string& query) {
  touchDown(query);
  simulator_.device().advance(kLongPressHold);
  if (isTouching()) touchUp();
}

void Input::flick(const std::string& query, CGFloat dx, CGFloat dy) {
  touchDown(query);
  // The touches carry the device's time: moving the clock between the steps gives
  // the movement its speed, and the lift comes at the last step's instant.
  for (int step = 0; step < kDragSteps && isTouching(); ++step) {
    simulator_.device().advance(kFlickDuration / kDragSteps);
    touchMove(dx / kDragSteps, dy / kDragSteps);
  }
  if (isTouching()) touchUp();
}

void Input::scrollTo(const std::string& rowQuery) {
  if (rowQuery.rfind("row:", 0) != 0) throw InputError("scroll takes a row:S,R query");
  resolveQuery(simulator_, rowQuery);
}

void Input::swipe(const std::string& rowQuery) {
  if (rowQuery.rfind("row:", 0) != 0) throw InputError("swipe takes a row:S,R query");
  requireFreeScreen(kDefaultOwner);
  QueryMatch match = resolveQuery(simulator_, rowQuery);
  CGRect frame;
  {
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    frame = match.view->frameInWindow();
  }
  touchDown(CGPoint{CGRectGetMaxX(frame) - 16, match.point.y});
  CGFloat distance = frame.size.width * 0.9;
  for (int step = 0; step < kDragSteps && isTouching(); ++step) touchMove(-distance / kDragSteps, 0);
  if (isTouching()) touchUp();
}

namespace {

std::string rowName(long section, long row) { return std::to_string(section) + "," + std::to_string(row); }

// Where the reorder control of a row is, the row scrolled into view first; when
// the row cannot be moved, the table goes back to where it was.
CGPoint reorderGrip(UITableView& table, const NSIndexPath& source) {
  CGPoint offset = table.contentOffset();
  table.scrollToRowAtIndexPath(source, UITableViewScrollPositionNone, false);
  table.layoutIfNeeded();
  auto cell = table.cellForRowAtIndexPath(source);
  auto control = cell ? cell->reorderControl() : nullptr;
  if (control && !control->isHidden()) return Screen::centerInWindow(*control);
  table.setContentOffset(offset, false);
  throw InputError("row " + rowName(source.section, source.row) + " cannot be moved");
}

// How far the grip goes: to the centre of the row now at the destination, shifted
// past its middle in the direction of travel, so that the dragged row lands there.
CGFloat reorderDistance(const UITableView& table, const NSIndexPath& source, const NSIndexPath& destination) {
  long rows = table.numberOfRowsInSection(destination.section);
  CGRect sourceRect = table.rectForRowAtIndexPath(source);
  CGRect rect;
  if (rows == 0) {
    rect = table.rectForHeaderInSection(destination.section);
    rect.origin.y = CGRectGetMaxY(rect);
    rect.size.height = sourceRect.size.height;
  } else {
    rect = table.rectForRowAtIndexPath({destination.section, std::min(destination.row, rows - 1)});
    if (destination.row >= rows) rect.origin.y += rect.size.height;
  }
  bool down = destination > source;
  return CGRectGetMidY(rect) - CGRectGetMidY(sourceRect) + (down ? rect.size.height * 0.1 : -rect.size.height * 0.1);
}

}  // namespace

void Input::reorder(long section, long row, long toSection, long toRow) {
  requireFreeScreen(kDefaultOwner);
  CGPoint grab;
  CGFloat distance = 0;
  {
    auto window = simulator_.frontWindow();
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    window->layoutIfNeeded();
    auto table = Screen(window).table();
    if (!table) throw InputError("there is no table on the screen");
    if (!table->isEditing()) throw InputError("the table is not in edit mode (tap the reorder button first)");
    NSIndexPath source{section, row};
    if (section >= table->numberOfSections() || row >= table->numberOfRowsInSection(section))
      throw InputError("the table has no row " + rowName(section, row));
    if (toSection >= table->numberOfSections()) throw InputError("the table has no section " + std::to_string(toSection));
    grab = reorderGrip(*table, source);
    distance = reorderDistance(*table, source, {toSection, toRow});
  }
  CGFloat targetY = grab.y + distance;
  touchDown(grab);
  for (int step = 1; step <= kDragSteps && isTouching(); ++step)
    touchMoveTo({grab.x, grab.y + (targetY - grab.y) * step / kDragSteps});
  if (isTouching()) touchUp();
}

bool Input::wheel(CGPoint point, CGFloat dx, CGFloat dy) {
  auto window = simulator_.frontWindow();
  if (!window) return false;
  // A driver of its own: the finger's touch, if one is down, goes on undisturbed.
  return kavro::platform::uikit::TouchDriver(simulator_.frontProcess(), window).wheel(onScreen(point), dx, dy);
}

void Input::swipeDown() {
  bool found = false;
  simulator_.device().dispatch(simulator_.frontProcess(), [&] {
    auto window = UIApplication::sharedApplication()->keyWindow();
    auto front = Screen::frontMostController(window);
    if (!front || front == window->rootViewController()) return;
    found = true;
    front->interactiveDismiss();
  });
  if (!found) throw InputError("no sheet is presented");
}

void Input::home() {
  touchDown(CGPoint{kavro::platform::Device::kScreenWidth / 2, kavro::platform::Device::kScreenHeight - kHomeGestureEdge / 4});
  for (int step = 0; step < kDragSteps && isTouching(); ++step) {
    simulator_.device().advance(kFlickDuration / kDragSteps);
    touchMove(0, -kHomeSwipeDistance / kDragSteps);
  }
  if (isTouching()) touchUp();
}

// ---------------------------------------------------------------------------
// The search field and typing

void Input::focusSearch() { tap("search"); }

void Input::searchCancel() {
  requireFreeScreen(kDefaultOwner);
  CGPoint point;
  {
    auto window = simulator_.frontWindow();
    kavro::platform::ProcessScope scope(simulator_.frontProcess());
    if (window) window->layoutIfNeeded();
    auto searchBar = Screen(window).searchBar();
    auto cancel = searchBar && searchBar->showsCancelButton() ? searchBar->cancelButton() : nullptr;
    if (!cancel) throw InputError("the search field shows no Cancel button");
    point = Screen::centerInWindow(*cancel);
  }
  tapAt(point);
}

std::shared_ptr<UISearchBar> Input::editedField() {
  kavro::platform::Process& process = simulator_.frontProcess();
  kavro::platform::ProcessScope scope(process);
  auto field = std::dynamic_pointer_cast<UISearchBar>(UIResponder::currentFirstResponder());
  return field && field->isEditing() ? field : nullptr;
}

bool Input::hasEditedField() { return editedField() != nullptr; }

void Input::type(const std::string& text) {
  auto field = editedField();
  if (!field) throw InputRefused("no field is being edited (focus search first)");
  kavro::platform::Process& process = simulator_.frontProcess();
  for (std::size_t i = 0; i < text.size();) {
    std::string character = text.substr(i, sequenceLength(static_cast<unsigned char>(text[i])));
    simulator_.device().dispatch(process, [&] { field->insertText(character); });
    i += character.size();
  }
}

void Input::backspace(long count) {
  auto field = editedField();
  if (!field) throw InputRefused("no field is being edited (focus search first)");
  kavro::platform::Process& process = simulator_.frontProcess();
  for (long i = 0; i < count; ++i) simulator_.device().dispatch(process, [&] { field->deleteBackward(); });
}

void Input::returnKey() {
  auto field = editedField();
  if (!field) throw InputRefused("no field is being edited (focus search first)");
  simulator_.device().dispatch(simulator_.frontProcess(), [&] { field->returnKeyTapped(); });
}

void Input::escapeKey() {
  auto field = editedField();
  if (!field) throw InputRefused("no field is being edited (focus search first)");
  simulator_.device().dispatch(simulator_.frontProcess(), [&] {
    auto cancel = field->showsCancelButton() ? field->cancelButton() : nullptr;
    if (cancel && !cancel->isHidden())
      field->cancelButtonTapped(cancel);
    else
      field->resignFirstResponder();
  });
}

// ---------------------------------------------------------------------------
// The system

void Input::openSettings() { simulator_.openURL(kavro::kRootPageURL); }

void Input::openSpringboard() { simulator_.showHomeScreen(); }

void Input::requireProcess(const std::string& process) const {
  if (!simulator_.isProcessName(process))
    throw InputError("no process is named \"" + process + "\" (" + simulator_.processNames() + ")");
}

void Input::openPicker(const std::string& key, const std::string& process) {
  requireProcess(process);
  simulator_.openPicker(key, process);
}

void Input::bringToFront(const std::string& process) {
  requireProcess(process);
  simulator_.bringToFront(process);
}

void Input::back() {
  if (!simulator_.back()) throw InputError("the settings page stack has no page to go back from");
}

void Input::setAppearance(kavro::platform::Appearance appearance) { simulator_.setAppearance(appearance); }

}  // namespace kavro::sim
