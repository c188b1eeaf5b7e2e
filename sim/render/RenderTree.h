#pragma once
// The front-most window's view tree as the browser draws it: one JSON object per
// view, depth first in drawing order, at the presentation values of the moment
// (frames, alpha and background colours of running animations), in window
// coordinates, with colours resolved for the style each view is shown in. Labels
// carry the lines the platform laid their text out in, image views where their
// picture goes and which picture (a file or platform-made PNG by URL, or a system
// symbol in a tint).
//
// The schema is documented in docs/simulator.md ("Frames and the render tree"). The
// tree carries every value the page draws the platform's look with (the sheet's
// shape and dimming, material tints, the caret, the search field's glass) and what
// the page needs to know besides (what a tap acts on, what touches pass through,
// what a screen reader finds): the page knows no platform class or constant. The
// writer of each kind of view is one entry of the table in ViewKinds.cpp; the
// system's own drawing over the window is SystemChrome.h's.

#include "platform/uikit/UITraitCollection.h"
#include "sim/render/ImageAssets.h"

#include <string>

class UIWindow;

namespace kavro::sim {

class RenderTree {
 public:
  explicit RenderTree(ImageAssets& assets) : assets_(assets) {}

  // The window's tree as JSON text, for the appearance `style`. Call inside the
  // window's process: presentation values follow its clock. Lays the window out
  // first, as a display pass does.
  std::string render(UIWindow& window, UIUserInterfaceStyle style);
  // When the last animation of the views the latest render drew ends, on the
  // device's clock (its time then when none was running): until then the picture
  // changes on its own.
  double animationsEnd() const { return animationsEnd_; }

 private:
  ImageAssets& assets_;
  double animationsEnd_ = 0;
};

}  // namespace kavro::sim
