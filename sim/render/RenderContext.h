#pragma once
// What the parts that write a render tree share (used inside sim/render only): the
// pass over one window, the view being written, and the scope of a subtree (what
// holds for a view and the views under it). A scope is copied for each subview, so
// what a view sets for its subtree ends with that subtree.

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIView.h"
#include "sim/render/ImageAssets.h"
#include "sim/render/JsonWriter.h"

class UITableView;
class UIWindow;

namespace kavro::sim {

struct RenderPass {
  JsonWriter& out;
  const UIWindow& window;
  ImageAssets& assets;
  UIColor::RGBA caretColor;  // the window's tint
  double animationsEnd;      // the latest end of an animation of a view written so far
};

// A view as it is being written.
struct PlacedView {
  const UIView& view;
  CGRect frame;                     // in window coordinates, at the presentation values
  UIUserInterfaceStyle outerStyle;  // the style its superview is shown in
};

struct RenderScope {
  UIUserInterfaceStyle style;           // the style the view is shown in
  const UITableView* table = nullptr;   // the table the view is in
  const UIView* reorderControl = nullptr;  // a cell's reorder control, marked as such
  const UIView* searchField = nullptr;     // a search bar's field, drawn with its glass
  const UIView* caretLabel = nullptr;      // the label of the field being edited
  bool caretAtStart = false;               // that field shows no text of its own
  // Inside an accessibility element, whose parts are read as part of it; inside a
  // row, whose labels are; inside a view hit testing and screen readers pass by.
  bool inElement = false;
  bool inRow = false;
  bool unexposed = false;
};

}  // namespace kavro::sim
