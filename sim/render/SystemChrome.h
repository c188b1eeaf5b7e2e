#pragma once
// What the system draws over the front-most window, as views of the render tree
// with the same fields as the window's own: the status bar (the time, the signal
// bars, Wi-Fi and the battery), the notch over it, and the home indicator. The
// page draws them as it draws any view; it knows nothing of their look.
//
// The time is a label whose `clock` names the format of the time of day ("H:mm"),
// which the page shows by its own clock: a phone that shows nothing new sends no
// frames, and the time still turns.

#include <string>

namespace kavro::sim {

// The colour of the status bar's and the home indicator's content: light over the
// home screen's wallpaper and in dark appearance, dark over a light screen.
enum class StatusBarContent { dark, light };

// The chrome as a JSON array of views, in drawing order.
const std::string& systemChrome(StatusBarContent content);

}  // namespace kavro::sim
