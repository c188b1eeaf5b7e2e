#include "sim/render/RenderTree.h"

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "sim/render/Accessibility.h"
#include "sim/render/RenderContext.h"
#include "sim/render/ViewKinds.h"

#include <algorithm>
#include <optional>

namespace kavro::sim {

namespace {

using kavro::platform::uikit::ViewInternals;

// How the platform draws a presented page sheet: its top corners' radius, and the
// dimming of what lies behind it once it is fully up.
constexpr double kSheetCornerRadius = 10;
constexpr double kSheetDimming = 0.35;
// A view at this alpha or below shows nothing; at kPassedByAlpha or below, hit
// testing and screen readers pass it and its subviews by as well.
constexpr double kInvisibleAlpha = 0.001;
constexpr double kPassedByAlpha = 0.01;

// How far a presented sheet has come up (0 below the screen, 1 in place), or
// nullopt for a view that is not a presented sheet's.
std::optional<double> sheetProgress(const UIView& view, const UIWindow& window, CGRect frame) {
  if (view.superview().get() != &window) return std::nullopt;
  auto controller = ViewInternals::viewController(view);
  if (!controller || !controller->presentingViewController() || controller->fadesInPresentation() ||
      controller->effectivePresentationStyle() != UIModalPresentationPageSheet)
    return std::nullopt;
  CGFloat height = window.bounds().size.height;
  CGFloat top = controller->presentedFrameInWindow().origin.y;
  if (height <= top) return 1.0;
  return std::clamp((height - frame.origin.y) / (height - top), 0.0, 1.0);
}

// Whether a tap on the view does something: an enabled control, a cell of a table
// that takes selections, a search bar (a tap begins editing), a view with an
// enabled tap or long-press recogniser (a scroll view's pan is no tap).
bool isTappable(const UIView& view, const UITableView* table) {
  if (auto control = dynamic_cast<const UIControl*>(&view)) return control->isEnabled();
  if (dynamic_cast<const UITableViewCell*>(&view)) return table && table->allowsSelection();
  if (dynamic_cast<const UISearchBar*>(&view)) return true;
  for (auto& recognizer : view.gestureRecognizers()) {
    bool taps = dynamic_cast<const UITapGestureRecognizer*>(recognizer.get()) ||
                dynamic_cast<const UILongPressGestureRecognizer*>(recognizer.get());
    if (taps && recognizer->isEnabled()) return true;
  }
  return false;
}

// Which corners a radius rounds, as [top-left, top-right, bottom-left, bottom-right].
void writeRoundedCorners(JsonWriter& out, unsigned long mask) {
  out.key("rounded").beginArray();
  for (unsigned long corner : {kCALayerMinXMinYCorner, kCALayerMaxXMinYCorner, kCALayerMinXMaxYCorner,
                               kCALayerMaxXMaxYCorner})
    out.boolean(mask & corner);
  out.endArray();
}

// The view's shape: its layer's corner radius and which corners it rounds, and
// whether it clips its subviews. A presented sheet without a radius of its own
// rounds its top corners, and always clips.
void writeShape(JsonWriter& out, const CALayer& layer, bool isSheet) {
  if (layer.cornerRadius() > 0) {
    out.member("r", layer.cornerRadius());
    if (layer.maskedCorners() != kCALayerAllCorners) writeRoundedCorners(out, layer.maskedCorners());
  } else if (isSheet) {
    out.member("r", kSheetCornerRadius);
    writeRoundedCorners(out, kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
  }
  if (layer.masksToBounds() || isSheet) out.member("clip", true);
}

UIColor::RGBA layerColor(const CGColorComponents& color) { return {color.red, color.green, color.blue, color.alpha}; }

void writeBorderAndShadow(JsonWriter& out, const CALayer& layer) {
  if (auto color = layer.borderColor(); layer.borderWidth() > 0 && color)
    out.key("border").beginArray().number(layer.borderWidth()).color(layerColor(*color)).endArray();
  if (auto color = layer.shadowColor(); layer.shadowOpacity() > 0 && color) {
    out.key("shadow").beginArray().number(layer.shadowOpacity());
    out.number(layer.shadowOffset().width).number(layer.shadowOffset().height).number(layer.shadowRadius());
    out.color(layerColor(*color)).endArray();
  }
}

// What the view draws of its own and how touches meet it: its background, shape,
// border and shadow, whether touches pass through it or a tap acts on it, and, for
// a presented sheet, how far it has come up and the dimming behind it.
void writeAppearance(JsonWriter& out, const PlacedView& placed, const RenderScope& scope,
                     std::optional<double> sheet, bool passedBy) {
  const UIView& view = placed.view;
  if (auto background = ViewInternals::presentationBackgroundColor(view, scope.style); background && background->alpha > 0)
    out.member("bg", *background);
  const CALayer& layer = *view.layer();
  writeShape(out, layer, sheet.has_value());
  if (!view.isUserInteractionEnabled() || passedBy)
    out.member("pass", true);
  else if (isTappable(view, scope.table))
    out.member("tap", true);
  writeBorderAndShadow(out, layer);
  if (sheet) {
    out.key("sheet").beginObject().member("progress", *sheet);
    out.member("dim", UIColor::RGBA{0, 0, 0, kSheetDimming * *sheet}).endObject();
  }
}

void writeView(RenderPass& pass, const UIView& view, CGPoint parentOrigin, CGPoint parentBounds, RenderScope scope);

void writeSubviews(RenderPass& pass, const UIView& view, CGPoint origin, const RenderScope& scope) {
  const auto& subviews = view.subviews();
  if (subviews.empty()) return;
  CGPoint bounds = ViewInternals::presentationBoundsOrigin(view);
  pass.out.key("kids").beginArray();
  for (auto& subview : subviews) writeView(pass, *subview, origin, bounds, scope);
  pass.out.endArray();
}

// One view and its subviews. `scope` is the superview's, copied: what this view
// sets in it holds for its subtree only.
void writeView(RenderPass& pass, const UIView& view, CGPoint parentOrigin, CGPoint parentBounds, RenderScope scope) {
  JsonWriter& out = pass.out;
  CGRect frame = ViewInternals::presentationFrame(view);
  if (&view == &pass.window) frame.origin = {0, 0};
  CGPoint origin{parentOrigin.x + frame.origin.x - parentBounds.x, parentOrigin.y + frame.origin.y - parentBounds.y};
  const PlacedView placed{view, {origin, frame.size}, scope.style};
  out.beginObject().member("k", view.className()).member("f", placed.frame);
  if (view.isHidden()) {
    out.member("hidden", true).endObject();
    return;
  }
  pass.animationsEnd = std::max(pass.animationsEnd, ViewInternals::animationsEndTime(view));
  double alpha = std::max(0.0, ViewInternals::presentationAlpha(view));
  if (alpha < 1) {
    out.member("a", alpha <= kInvisibleAlpha ? 0 : alpha);
    if (alpha <= kInvisibleAlpha) {  // nothing of it shows
      out.endObject();
      return;
    }
  }
  // A view may show itself and its subviews in a style of its own (an override, a
  // dark or light material behind it): colours from here on resolve for that style.
  if (UIUserInterfaceStyle own = ViewInternals::ownStyle(view); own != UIUserInterfaceStyleUnspecified)
    scope.style = own;
  const bool passedBy = alpha <= kPassedByAlpha;
  if (passedBy) scope.unexposed = true;
  auto sheet = sheetProgress(view, pass.window, placed.frame);
  writeAppearance(out, placed, scope, sheet, passedBy);
  writeAccessibility(pass, view, sheet.has_value(), scope);
  // The marks an ancestor set are for this view; what its kind sets is for its subviews.
  const RenderScope marks = scope;
  writeViewKind(pass, placed, scope);
  writeViewMarks(pass, placed, marks);
  writeSubviews(pass, view, origin, scope);
  out.endObject();
}

}  // namespace

std::string RenderTree::render(UIWindow& window, UIUserInterfaceStyle style) {
  window.layoutIfNeeded();
  std::string text;
  text.reserve(64 * 1024);
  JsonWriter out(text);
  // The window's tint colours the caret.
  auto tint = window.tintColor();
  if (!tint) tint = UIColor::systemBlueColor();
  RenderPass pass{out, window, assets_, tint->rgba(style), ViewInternals::animationsEndTime(window)};
  writeView(pass, window, {0, 0}, {0, 0}, RenderScope{style});
  animationsEnd_ = pass.animationsEnd;
  return text;
}

}  // namespace kavro::sim
