#include "sim/render/ViewKinds.h"

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UILabelPrivate.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIVisualEffectViewPrivate.h"

#include <algorithm>

namespace kavro::sim {

namespace {

using kavro::platform::uikit::LabelInternals;
using kavro::platform::uikit::MaterialInternals;

// How the platform draws the caret of the field being edited: a bar this wide, this
// part of its line's height, this far after the text, on and off this many seconds.
constexpr double kCaretWidth = 2;
constexpr double kCaretHeight = 0.9;
constexpr double kCaretInset = 1;
constexpr double kCaretBlinkSeconds = 0.53;
// A search field's magnifying glass: this far in from the field's leading edge, this
// many points square, centred on the field's height.
constexpr double kGlassInset = 8;
constexpr double kGlassSize = 15;

const char* alignmentName(NSTextAlignment alignment) {
  switch (alignment) {
    case NSTextAlignmentCenter: return "center";
    case NSTextAlignmentRight: return "right";
    default: return "left";
  }
}

const char* accessoryName(UITableViewCellAccessoryType type) {
  switch (type) {
    case UITableViewCellAccessoryCheckmark: return "checkmark";
    case UITableViewCellAccessoryDisclosureIndicator: return "disclosure";
    case UITableViewCellAccessoryDetailButton: return "detail";
    case UITableViewCellAccessoryDetailDisclosureButton: return "detailDisclosure";
    default: return "none";
  }
}

// Where an image of `imageSize` goes inside `area` by the view's content mode (the
// view's own fitting, redone with the presentation size).
CGRect fitImage(CGRect area, CGSize imageSize, UIViewContentMode mode) {
  if (imageSize.width <= 0 || imageSize.height <= 0) return area;
  switch (mode) {
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
      CGFloat sx = area.size.width / imageSize.width, sy = area.size.height / imageSize.height;
      CGFloat scale = mode == UIViewContentModeScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
      CGSize drawn{imageSize.width * scale, imageSize.height * scale};
      return CGRectMake(area.origin.x + (area.size.width - drawn.width) / 2,
                        area.origin.y + (area.size.height - drawn.height) / 2, drawn.width, drawn.height);
    }
    case UIViewContentModeCenter:
      return CGRectMake(area.origin.x + (area.size.width - imageSize.width) / 2,
                        area.origin.y + (area.size.height - imageSize.height) / 2, imageSize.width,
                        imageSize.height);
    default: return area;
  }
}

// ---------------------------------------------------------------------------
// Labels: the lines the label laid its text out in, as plain lines or as runs
// [text, size, weight, colour]; each line's height; where the caret goes.

void writeCaret(JsonWriter& out, const RenderPass& pass, const RenderScope& scope) {
  out.member("caret", true);
  out.key("caretStyle").beginObject();
  out.member("color", pass.caretColor).member("width", kCaretWidth).member("height", kCaretHeight);
  out.member("inset", kCaretInset).member("blink", kCaretBlinkSeconds);
  out.endObject();
  if (scope.caretAtStart) out.member("caretAtStart", true);
}

void writeLines(JsonWriter& out, const LabelInternals::Layout& layout, UIUserInterfaceStyle style) {
  if (!layout.attributed) {
    out.key("lines").beginArray();
    for (auto& line : layout.lines) out.string(line.runs.empty() ? std::string() : line.runs[0].text);
    out.endArray();
  } else {
    out.key("runs").beginArray();
    for (auto& line : layout.lines) {
      out.beginArray();
      for (auto& run : line.runs) {
        out.beginArray().string(run.text).number(run.font->pointSize()).number(run.font->cssWeight());
        out.color(run.color->rgba(style)).endArray();
      }
      out.endArray();
    }
    out.endArray();
  }
  out.key("heights").beginArray();
  for (auto& line : layout.lines) out.number(line.height);
  out.endArray();
}

void writeLabel(RenderPass& pass, const PlacedView& placed, const UILabel& label, RenderScope& subtree) {
  if (label.text().empty()) return;
  JsonWriter& out = pass.out;
  out.key("text").beginObject();
  out.key("font").beginArray().number(label.font()->pointSize()).number(label.font()->cssWeight()).endArray();
  out.member("color", label.currentTextColor()->rgba(subtree.style));
  out.member("align", alignmentName(label.textAlignment()));
  out.member("n", static_cast<double>(label.numberOfLines()));
  if (&label == subtree.caretLabel) writeCaret(out, pass, subtree);
  LabelInternals::Layout layout = LabelInternals::layout(label, placed.frame.size.width);
  if (layout.truncated) out.member("cut", true);
  writeLines(out, layout, subtree.style);
  out.endObject();
}

// ---------------------------------------------------------------------------
// Pictures: a system symbol by name, or a picture by URL; where it goes; its tint.

void writeImage(RenderPass& pass, const PlacedView& placed, const UIImageView& imageView, RenderScope& subtree) {
  auto image = imageView.image();
  if (!image) return;
  std::string source;
  if (!image->isSymbolImage()) {
    if (!image->filePath().empty())
      source = pass.assets.fileURL(image->filePath());
    else if (image->pngData())
      source = pass.assets.pngURL(image->pngData());
    if (source.empty()) return;  // nothing the browser could fetch
  }
  JsonWriter& out = pass.out;
  out.key("img").beginObject();
  if (image->isSymbolImage())
    out.member("sym", image->symbolName());
  else
    out.member("src", source);
  // A template takes the tint around it unless it has its own; a symbol drawn as
  // it is keeps its own tint or the label colour.
  std::shared_ptr<UIColor> tint = image->tintColor();
  if (!tint && image->isTemplate()) tint = imageView.tintColor();
  if (!tint && image->isSymbolImage()) tint = UIColor::labelColor();
  if (tint) out.member("tint", tint->rgba(subtree.style));
  out.member("rect", fitImage(placed.frame, image->size(), imageView.contentMode()));
  out.endObject();
}

// ---------------------------------------------------------------------------
// Cells, search bars and tables: their state, and what they mark under them.

void writeCell(RenderPass& pass, const PlacedView&, const UITableViewCell& cell, RenderScope& subtree) {
  pass.out.key("cell").beginObject().member("acc", accessoryName(cell.accessoryType())).endObject();
  subtree.reorderControl = cell.reorderControl().get();
}

// The label that shows a field's text (or its placeholder): where the caret stands.
const UIView* fieldLabel(const UIView& field) {
  for (auto& subview : field.subviews())
    if (dynamic_cast<const UILabel*>(subview.get())) return subview.get();
  return nullptr;
}

void writeSearchBar(RenderPass& pass, const PlacedView&, const UISearchBar& searchBar, RenderScope& subtree) {
  pass.out.key("search").beginObject().member("editing", searchBar.isEditing()).endObject();
  auto field = searchBar.searchField();
  if (!field) return;
  subtree.searchField = field.get();
  subtree.caretLabel = nullptr;
  subtree.caretAtStart = searchBar.text().empty();  // the field shows its placeholder
  if (!searchBar.isEditing()) return;
  subtree.caretLabel = fieldLabel(*field);
}

// A text field of a row: whether it is edited (the page sends Return and Esc to
// it then) and its caret, as the search field's.
void writeTextField(RenderPass& pass, const PlacedView&, const UITextField& field, RenderScope& subtree) {
  pass.out.key("edit").beginObject().member("editing", field.isEditing()).endObject();
  if (!field.isEditing()) return;
  subtree.caretLabel = fieldLabel(field);
  subtree.caretAtStart = field.text().empty();  // the field shows its placeholder
}

void writeTable(RenderPass&, const PlacedView&, const UITableView& table, RenderScope& subtree) {
  subtree.table = &table;
}

// ---------------------------------------------------------------------------
// Materials: a blur of what lies behind, its saturation, its tint.

bool writeMaterial(RenderPass& pass, const PlacedView& placed, RenderScope&) {
  // The material's own look follows the style it is shown in, not the one it gives
  // what lies over it.
  auto look = MaterialInternals::look(placed.view, placed.outerStyle);
  if (!look) return false;
  JsonWriter& out = pass.out;
  out.key("material").beginObject();
  out.member(look->kind, static_cast<double>(look->style));
  out.member("radius", look->blurRadius).member("saturation", look->saturation).member("tint", look->tint);
  out.endObject();
  return true;
}

// ---------------------------------------------------------------------------
// The table of kinds: the first entry that the view is writes its members.

using KindWriter = bool (*)(RenderPass&, const PlacedView&, RenderScope&);

template <class View, void (*Write)(RenderPass&, const PlacedView&, const View&, RenderScope&)>
bool writeIfKind(RenderPass& pass, const PlacedView& placed, RenderScope& subtree) {
  auto view = dynamic_cast<const View*>(&placed.view);
  if (!view) return false;
  Write(pass, placed, *view, subtree);
  return true;
}

constexpr KindWriter kViewKinds[] = {
    writeIfKind<UILabel, writeLabel>,
    writeIfKind<UIImageView, writeImage>,
    writeIfKind<UITableViewCell, writeCell>,
    writeIfKind<UISearchBar, writeSearchBar>,
    writeIfKind<UITextField, writeTextField>,
    writeIfKind<UITableView, writeTable>,
    writeMaterial,  // blur effect views and backdrops, by the look the platform gives them
};

}  // namespace

void writeViewKind(RenderPass& pass, const PlacedView& placed, RenderScope& subtree) {
  for (KindWriter write : kViewKinds)
    if (write(pass, placed, subtree)) return;
}

void writeViewMarks(RenderPass& pass, const PlacedView& placed, const RenderScope& scope) {
  JsonWriter& out = pass.out;
  if (&placed.view == scope.searchField) {
    // The field's magnifying glass, in the placeholder's colour.
    const CGRect& field = placed.frame;
    CGRect glass = CGRectMake(field.origin.x + kGlassInset, field.origin.y + (field.size.height - kGlassSize) / 2,
                              kGlassSize, kGlassSize);
    out.member("field", true);
    out.key("img").beginObject().member("sym", "magnifyingglass");
    out.member("tint", UIColor::secondaryLabelColor()->rgba(scope.style)).member("rect", glass).endObject();
  }
  if (&placed.view == scope.reorderControl) out.member("reorder", true);
}

}  // namespace kavro::sim
