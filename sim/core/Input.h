#pragma once
// Everything a person (or a script) does to the simulated iPhone, with one set of
// rules for both front ends: touches at points or on queries, gestures built from
// them, typing into the edited field, the system's commands (open, front, back,
// appearance). Touch points are in window points and held to the screen: a finger
// cannot leave the glass.
//
// The home gesture belongs to the system, not to the application under the finger:
// a touch that goes down on the home indicator (the bottom kHomeGestureEdge points)
// and rises kHomeGestureDistance points is taken over: the window's touch is
// cancelled, the home screen shows (Simulator::goHome), and the rest of that touch
// goes nowhere.
//
// One finger touches the screen at a time. It belongs to whoever put it down (an
// owner: the script, or one browser client); a press by another owner while it is
// down is refused, never silently swapped for the first.
//
// Errors: InputError for a bad argument or a query that matches nothing,
// InputRefused for an input that cannot apply now. Either way nothing changed:
// an input checks that it may have the finger before it resolves its query, so a
// refused one scrolls nothing either; an input that fails after its query
// matched leaves only the query's scroll (a row, an icon's page, a shortcut
// brought into view, see Query.h) behind, and a reorder of a row that cannot move
// puts the table back where it was.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/device/Device.h"
#include "sim/core/BundleInstaller.h"
#include "sim/core/Query.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class UISearchBar;
class UITextField;

namespace kavro::sim {

class Simulator;

class Input {
 public:
  using Owner = std::uint64_t;
  // The owner of touches that name none: the script, the web API's plain requests.
  static constexpr Owner kDefaultOwner = 0;

  // How long a long press holds; how long a flick's movement lasts.
  static constexpr double kLongPressHold = 0.6;
  static constexpr double kFlickDuration = 0.1;
  // Where the home gesture starts, how far it must rise, and how the `home`
  // command swipes.
  static constexpr CGFloat kHomeGestureEdge = 34;
  static constexpr CGFloat kHomeGestureDistance = 50;
  static constexpr CGFloat kHomeSwipeDistance = 150;

  explicit Input(Simulator& simulator) : simulator_(simulator) {}
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Touches.
  void touchDown(CGPoint point, Owner owner = kDefaultOwner);
  void touchDown(const std::string& query, Owner owner = kDefaultOwner);
  void touchMove(CGFloat dx, CGFloat dy, Owner owner = kDefaultOwner);
  void touchMoveTo(CGPoint point, Owner owner = kDefaultOwner);
  // Ends the touch where it is; with `outside`, first moves it straight down far
  // outside the view it began in.
  void touchUp(bool outside = false, Owner owner = kDefaultOwner);
  void touchCancel(Owner owner = kDefaultOwner);
  // Whether a finger is down, and whose.
  bool isTouching() const;
  std::optional<Owner> touchOwner() const;
  // What an owner's going away does: its finger, if down, is cancelled.
  void releaseOwner(Owner owner);

  // Gestures made of touches.
  void tap(const std::string& query);
  void tapAt(CGPoint point);
  void longPress(const std::string& query);
  // A quick drag by (dx, dy) over kFlickDuration, lifted while still moving, so
  // that a scroll view under it keeps the velocity it was given.
  void flick(const std::string& query, CGFloat dx, CGFloat dy);
  // Scrolls the front-most table so that a row (`row:S,R`) is visible.
  void scrollTo(const std::string& rowQuery);
  // A full trailing swipe on a row (`row:S,R`).
  void swipe(const std::string& rowQuery);
  // In edit mode, drags a row by its reorder control to another place.
  void reorder(long section, long row, long toSection, long toRow);
  // Pulls the presented sheet down to dismiss it.
  void swipeDown();
  // The home gesture: a swipe up from the bottom edge, in kDragSteps movements over
  // kFlickDuration.
  void home();
  // A mouse wheel or trackpad turned over a point by (dx, dy) points, signed as a
  // browser's wheel event: the scroll view under the point that can move that way
  // moves at once, with no finger (a finger down, anyone's, is not disturbed).
  // Returns whether anything moved.
  bool wheel(CGPoint point, CGFloat dx, CGFloat dy);

  // The search field and typing.
  void focusSearch();
  void searchCancel();
  // Whether some field is being edited now, so that typing has somewhere to go.
  bool hasEditedField();
  // Types into the edited field, one character (one UTF-8 sequence) at a time.
  void type(const std::string& text);
  void backspace(long count);
  // The keyboard's return key (the search key) on the edited field.
  void returnKey();
  // Escape ends editing the field as its Cancel button does (or, without one, by
  // resigning it).
  void escapeKey();

  // The system.
  // Settings on the bundle's page (the URL prefs:root=Kavro).
  void openSettings();
  // Settings on the page of the installed bundle NAME (its name or its entry's
  // label): the URL prefs:root=NAME. InputError when no entry has that name.
  void openSettings(const std::string& name);
  // Settings on the page a "prefs:root=NAME" URL names. InputError when Settings
  // has no page for it.
  void openURL(const std::string& url);
  // The home screen, with no application over it.
  void openSpringboard();
  void openPicker(const std::string& key, const std::string& process);
  void bringToFront(const std::string& process);
  void back();
  void setAppearance(kavro::platform::Appearance appearance);
  // The device's language (a tag such as "de"); the Settings pages that are open
  // load their lists again, in it. InputError for a tag the device refuses.
  void setLanguage(const std::string& language);
  // Installs a bundle again from its source folder, as a change to its files
  // asks (BundleInstaller.h), and reloads its open pages in place; logs a
  // `reload` event naming the bundle and the files that changed (nothing when
  // none did), or a `reloadFailed` event naming the file and line that could not
  // be read, in which case the pages stay as they were. Returns what happened.
  Reinstall reloadBundle(const BundleSource& source);

  // The controls of preference rows (`row:S,R` queries; InputError when the row
  // has no such control). A finger drags the slider's thumb to `value` (clamped to
  // its range) and lifts there; taps segment `index`; taps the text field, which
  // begins editing it, so that typing goes to it.
  void slide(const std::string& rowQuery, double value);
  void segment(const std::string& rowQuery, long index);
  void focusRow(const std::string& rowQuery);

 private:
  // Where typing goes: the edited search field, else the edited text field.
  struct KeyTarget {
    std::shared_ptr<UISearchBar> searchBar;
    std::shared_ptr<UITextField> textField;
    void insertText(const std::string& text) const;
    void deleteBackward() const;
    void returnKey() const;
  };
  // InputRefused when nothing is being edited.
  KeyTarget keyInput();
  std::shared_ptr<UITextField> editedTextField();
  // The row's control of type T, its frame in window coordinates.
  template <typename T>
  std::shared_ptr<T> rowControl(const std::string& rowQuery, const char* command, CGRect& frame);

  // Refuses unless `owner`'s finger is down.
  void requireFinger(Owner owner) const;
  // Refuses while another owner's finger is down.
  void requireFreeScreen(Owner owner) const;
  void requireProcess(const std::string& process) const;
  // The finger's location, the system's own while it holds the home gesture.
  CGPoint fingerLocation();
  void endSystemGesture();
  std::shared_ptr<UISearchBar> editedField();

  Simulator& simulator_;
  std::optional<Owner> owner_;
  // Where the view under the latest touch-down ends, for touchUp(outside).
  CGFloat touchedViewBottom_ = 0;
  // The touch went down on the home indicator, where it went down, and whether the
  // system has taken it over as the home gesture (then where the finger is).
  bool edgeTouch_ = false;
  CGPoint edgeStart_{};
  bool homeGesture_ = false;
  CGPoint systemLocation_{};
};

}  // namespace kavro::sim
