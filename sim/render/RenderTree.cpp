#include "sim/render/RenderTree.h"

#include "platform/foundation/Utf8Text.h"

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISearchBar.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"
#include "platform/uikit/UIVisualEffectViewPrivate.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kavro::sim {

namespace {

// JSON text is written straight into one string: the whole tree goes out up to 60
// times a second, and a document object per view would cost more than the walk.

void appendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += '0';
    return;
  }
  double rounded = std::round(value * 1000) / 1000;
  if (rounded == 0) rounded = 0;  // no "-0"
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 3);
  if (error != std::errc()) {
    out += '0';
    return;
  }
  // Trim "12.500" to "12.5" and "12.000" to "12".
  char* last = end - 1;
  while (*last == '0') --last;
  if (*last == '.') --last;
  out.append(buffer, static_cast<std::size_t>(last - buffer + 1));
}

// A JSON string; text that is not UTF-8 (an application's name, say) shows with
// U+FFFD, as JSON and the page's WebSocket carry only Unicode text.
void appendString(std::string& out, const std::string& raw) {
  std::string repaired;
  const std::string_view text = kavro::platform::foundation::validUtf8View(raw, repaired);
  out += '"';
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
}

void appendColor(std::string& out, double red, double green, double blue, double alpha) {
  auto channel = [](double value) {
    return static_cast<unsigned>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
  };
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\"#%02X%02X%02X%02X\"", channel(red), channel(green), channel(blue),
                channel(alpha));
  out += buffer;
}

void appendColor(std::string& out, const UIColor::RGBA& color) {
  appendColor(out, color.red, color.green, color.blue, color.alpha);
}

void appendRect(std::string& out, double x, double y, double width, double height) {
  out += '[';
  appendNumber(out, x);
  out += ',';
  appendNumber(out, y);
  out += ',';
  appendNumber(out, width);
  out += ',';
  appendNumber(out, height);
  out += ']';
}

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

// How far a presented sheet has come up (0 below the screen, 1 in place), or
// nullopt for a view that is not a presented sheet's.
std::optional<double> sheetProgress(const UIView& view, const UIWindow& window, CGRect frame) {
  if (view.superview().get() != &window) return std::nullopt;
  auto controller = kavro::platform::uikit::ViewInternals::viewController(view);
  if (!controller || !controller->presentingViewController() || controller->fadesInPresentation() ||
      controller->effectivePresentationStyle() != UIModalPresentationPageSheet)
    return std::nullopt;
  CGFloat height = window.bounds().size.height;
  CGFloat top = controller->presentedFrameInWindow().origin.y;
  if (height <= top) return 1.0;
  return std::clamp((height - frame.origin.y) / (height - top), 0.0, 1.0);
}

// The words of a text as line breaking sees them: what lies between spaces and
// line breaks.
std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> found;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(" \t\n", at)) != std::string::npos) {
    std::size_t end = std::min(text.find_first_of(" \t\n", at), text.size());
    found.push_back(text.substr(at, end - at));
    at = end;
  }
  return found;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// How the platform draws a presented page sheet: its top corners' radius, and the
// dimming of what lies behind it once it is fully up.
constexpr double kSheetCornerRadius = 10;
constexpr double kSheetDimming = 0.35;
// A reorder control's grip lines.
constexpr UIColor::RGBA kReorderGripColor{142 / 255.0, 142 / 255.0, 147 / 255.0, 1};

// The role a screen reader gives an accessibility element, from its kind and traits.
const char* accessibilityRole(const UIView& view, UIAccessibilityTraits traits) {
  if (dynamic_cast<const UITableViewCell*>(&view)) return "row";
  if (traits & UIAccessibilityTraitToggleButton) return "switch";
  if (traits & UIAccessibilityTraitSearchField) return "searchbox";
  if (traits & UIAccessibilityTraitButton) return "button";
  if (traits & UIAccessibilityTraitLink) return "link";
  if (traits & UIAccessibilityTraitHeader) return "heading";
  if (traits & UIAccessibilityTraitImage) return "img";
  return "text";
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

// Which corners a layer's radius rounds, as [top-left, top-right, bottom-left,
// bottom-right].
void appendRoundedCorners(std::string& out, unsigned long mask) {
  auto flag = [&](unsigned long corner) { out += (mask & corner) ? "true" : "false"; };
  out += ",\"rounded\":[";
  flag(kCALayerMinXMinYCorner);
  out += ',';
  flag(kCALayerMaxXMinYCorner);
  out += ',';
  flag(kCALayerMinXMaxYCorner);
  out += ',';
  flag(kCALayerMaxXMaxYCorner);
  out += ']';
}

std::string encodePath(const std::string& path) {
  std::string encoded;
  for (char c : path) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 15];
    }
  }
  return encoded;
}

std::string hashBytes(const std::vector<unsigned char>& bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  std::string id(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) id[static_cast<std::size_t>(i)] = kHexDigits[hash & 15];
  return id;
}

}  // namespace

// ---------------------------------------------------------------------------
// Image assets

ImageAssets::ImageAssets(const std::filesystem::path& deviceRoot) {
  std::error_code error;
  root_ = std::filesystem::weakly_canonical(deviceRoot, error);
  if (error) root_ = deviceRoot.lexically_normal();
}

std::string ImageAssets::fileURL(const std::filesystem::path& path) {
  auto known = fileURLs_.find(path.native());
  if (known != fileURLs_.end()) return known->second;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(path, error);
  std::string url;
  if (!error) {
    std::filesystem::path relative = absolute.lexically_relative(root_);
    bool inside = !relative.empty() && *relative.begin() != ".." && relative.is_relative();
    if (inside) {
      url = "/assets/file/" + encodePath(relative.generic_string());
      files_[relative.generic_string()] = absolute;
    }
  }
  fileURLs_[path.native()] = url;
  return url;
}

std::string ImageAssets::pngURL(const std::shared_ptr<const std::vector<unsigned char>>& png) {
  if (!png) return "";
  auto known = pngIds_.find(png.get());
  if (known != pngIds_.end()) return "/assets/png/" + known->second;
  if (pngs_.size() >= kMaximumPNGs) {
    // The pictures still in use come back with the next render.
    pngs_.clear();
    pngIds_.clear();
  }
  std::string id = hashBytes(*png);
  pngIds_[png.get()] = id;
  pngs_[id] = png;  // held, so the address above stays this picture's
  return "/assets/png/" + id;
}

std::optional<std::filesystem::path> ImageAssets::file(const std::string& relativePath) const {
  auto found = files_.find(relativePath);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

std::shared_ptr<const std::vector<unsigned char>> ImageAssets::png(const std::string& id) const {
  auto found = pngs_.find(id);
  return found == pngs_.end() ? nullptr : found->second;
}

// ---------------------------------------------------------------------------
// Render tree

struct RenderTree::Context {
  UIUserInterfaceStyle style;  // the style the views being written are shown in
  const UIWindow* window;
  double animationsEnd = 0;
  const UIView* reorderControl = nullptr;
  const UIView* searchField = nullptr;
  const UIView* caretLabel = nullptr;
  const UITableView* table = nullptr;  // the table the views being written are in
  // Inside an accessibility element, whose parts are read as part of it; inside a
  // row, whose labels are.
  bool inElement = false;
  bool inRow = false;
};

std::string RenderTree::render(UIWindow& window, UIUserInterfaceStyle style) {
  window.layoutIfNeeded();
  std::string out;
  out.reserve(64 * 1024);
  Context context{style, &window, kavro::platform::uikit::ViewInternals::animationsEndTime(window)};
  writeView(out, window, {0, 0}, {0, 0}, context);
  animationsEnd_ = context.animationsEnd;
  return out;
}

void RenderTree::writeView(std::string& out, const UIView& view, CGPoint parentOrigin, CGPoint parentBounds,
                           Context& context) {
  using kavro::platform::uikit::ViewInternals;
  CGRect frame = ViewInternals::presentationFrame(view);
  if (&view == context.window) frame.origin = {0, 0};
  CGPoint origin{parentOrigin.x + frame.origin.x - parentBounds.x, parentOrigin.y + frame.origin.y - parentBounds.y};
  CGRect inWindow{origin, frame.size};

  out += "{\"k\":";
  appendString(out, view.className());
  out += ",\"f\":";
  appendRect(out, origin.x, origin.y, frame.size.width, frame.size.height);
  if (view.isHidden()) {
    out += ",\"hidden\":true}";
    return;
  }
  context.animationsEnd = std::max(context.animationsEnd, ViewInternals::animationsEndTime(view));
  double alpha = ViewInternals::presentationAlpha(view);
  if (alpha < 1) {
    out += ",\"a\":";
    appendNumber(out, std::max(0.0, alpha));
    if (alpha <= 0.001) {  // nothing of it shows
      out += '}';
      return;
    }
  }
  // A view may show itself and its subviews in a style of its own (an override, a
  // dark or light material behind it): colours below resolve for that style.
  const UIUserInterfaceStyle savedStyle = context.style;
  if (UIUserInterfaceStyle own = ViewInternals::ownStyle(view); own != UIUserInterfaceStyleUnspecified)
    context.style = own;
  if (auto background = ViewInternals::presentationBackgroundColor(view, context.style);
      background && background->alpha > 0) {
    out += ",\"bg\":";
    appendColor(out, *background);
  }
  const CALayer& layer = *view.layer();
  if (layer.cornerRadius() > 0) {
    out += ",\"r\":";
    appendNumber(out, layer.cornerRadius());
    if (layer.maskedCorners() != kCALayerAllCorners) appendRoundedCorners(out, layer.maskedCorners());
  }
  if (layer.masksToBounds()) out += ",\"clip\":true";
  if (!view.isUserInteractionEnabled()) out += ",\"pass\":true";
  else if (isTappable(view, context.table)) out += ",\"tap\":true";
  if (auto color = layer.borderColor(); layer.borderWidth() > 0 && color) {
    out += ",\"border\":[";
    appendNumber(out, layer.borderWidth());
    out += ',';
    appendColor(out, color->red, color->green, color->blue, color->alpha);
    out += ']';
  }
  if (auto color = layer.shadowColor(); layer.shadowOpacity() > 0 && color) {
    out += ",\"shadow\":[";
    appendNumber(out, layer.shadowOpacity());
    out += ',';
    appendNumber(out, layer.shadowOffset().width);
    out += ',';
    appendNumber(out, layer.shadowOffset().height);
    out += ',';
    appendNumber(out, layer.shadowRadius());
    out += ',';
    appendColor(out, color->red, color->green, color->blue, color->alpha);
    out += ']';
  }
  auto progress = sheetProgress(view, *context.window, frame);
  if (progress) {
    out += ",\"sheet\":{\"progress\":";
    appendNumber(out, *progress);
    out += ",\"radius\":";
    appendNumber(out, kSheetCornerRadius);
    out += ",\"corners\":[true,false],\"dim\":";
    appendColor(out, 0, 0, 0, kSheetDimming * *progress);
    out += '}';
  }
  const bool savedInElement = context.inElement;
  const bool savedInRow = context.inRow;
  const UITableView* savedTable = context.table;
  writeAccessibility(out, view, progress.has_value(), context);

  // What the view's kind adds. Scoped marks (a cell's reorder control, a search
  // bar's field) hold for the view's subtree only.
  const UIView* savedReorder = context.reorderControl;
  const UIView* savedField = context.searchField;
  const UIView* savedCaret = context.caretLabel;
  if (auto label = dynamic_cast<const UILabel*>(&view)) {
    writeLabel(out, *label, frame.size, context);
  } else if (auto imageView = dynamic_cast<const UIImageView*>(&view)) {
    writeImage(out, *imageView, inWindow, context);
  } else if (auto cell = dynamic_cast<const UITableViewCell*>(&view)) {
    out += ",\"cell\":{\"acc\":\"";
    out += accessoryName(cell->accessoryType());
    out += "\",\"editing\":";
    out += cell->isEditing() ? "true" : "false";
    // A grouped section rounds only its outer corners: the top of its first cell
    // and the bottom of its last.
    out += ",\"corners\":[";
    out += cell->hasTopCorners() ? "true," : "false,";
    out += cell->hasBottomCorners() ? "true]" : "false]";
    out += '}';
    context.reorderControl = cell->reorderControl().get();
  } else if (auto searchBar = dynamic_cast<const UISearchBar*>(&view)) {
    out += ",\"search\":{\"text\":";
    appendString(out, searchBar->text());
    out += ",\"placeholder\":";
    appendString(out, searchBar->placeholder());
    out += ",\"editing\":";
    out += searchBar->isEditing() ? "true" : "false";
    out += '}';
    if (auto field = searchBar->searchField()) {
      context.searchField = field.get();
      context.caretLabel = nullptr;
      if (searchBar->isEditing())
        for (auto& subview : field->subviews())
          if (dynamic_cast<const UILabel*>(subview.get())) {
            context.caretLabel = subview.get();
            break;
          }
    }
  } else if (auto look = kavro::platform::uikit::MaterialInternals::look(view, savedStyle)) {
    // The material's own look follows the style it is shown in, not the one it
    // gives what lies over it.
    out += ",\"material\":{\"";
    out += look->kind;
    out += "\":";
    appendNumber(out, static_cast<double>(look->style));
    out += ",\"radius\":";
    appendNumber(out, look->blurRadius);
    out += ",\"saturation\":";
    appendNumber(out, look->saturation);
    out += ",\"tint\":";
    appendColor(out, look->tint);
    out += '}';
  }
  if (auto table = dynamic_cast<const UITableView*>(&view)) context.table = table;
  if (&view == context.searchField) {
    // The field's magnifying glass, drawn in the placeholder's colour.
    out += ",\"field\":true,\"glass\":";
    appendColor(out, UIColor::secondaryLabelColor()->rgba(context.style));
  }
  if (&view == savedReorder) {
    out += ",\"reorder\":true,\"grip\":";
    appendColor(out, kReorderGripColor);
  }

  const auto& subviews = view.subviews();
  if (!subviews.empty()) {
    CGPoint bounds = ViewInternals::presentationBoundsOrigin(view);
    out += ",\"kids\":[";
    bool first = true;
    for (auto& subview : subviews) {
      if (!first) out += ',';
      first = false;
      writeView(out, *subview, origin, bounds, context);
    }
    out += ']';
  }
  out += '}';
  context.reorderControl = savedReorder;
  context.searchField = savedField;
  context.caretLabel = savedCaret;
  context.style = savedStyle;
  context.inElement = savedInElement;
  context.inRow = savedInRow;
  context.table = savedTable;
}

// What a screen reader finds in the view, as "ax": its identity (a number the view
// keeps while it lives), role, label, value and state. Containers that group
// elements (a table, an alert, a sheet) carry a role too.
void RenderTree::writeAccessibility(std::string& out, const UIView& view, bool isSheet, Context& context) {
  using kavro::platform::uikit::ViewInternals;
  const char* role = nullptr;
  std::string label, value;
  UIAccessibilityTraits traits = UIAccessibilityTraitNone;
  bool element = !context.inElement && view.isAccessibilityElement();
  // A row reads its own labels; the other elements it holds (a switch) stay theirs.
  if (element && context.inRow && dynamic_cast<const UILabel*>(&view)) element = false;
  if (element) {
    traits = view.accessibilityTraits();
    role = accessibilityRole(view, traits);
    label = view.accessibilityLabel();
    value = view.accessibilityValue();
    if (dynamic_cast<const UITableViewCell*>(&view))
      context.inRow = true;
    else
      context.inElement = true;
  } else if (context.inElement) {
    return;
  } else if (auto alert = std::dynamic_pointer_cast<UIAlertController>(ViewInternals::viewController(view))) {
    role = "alertdialog";
    label = alert->title();
    value = alert->message();
  } else if (isSheet) {
    role = "dialog";
    if (auto controller = ViewInternals::viewController(view)) label = controller->title();
  } else if (dynamic_cast<const UITableView*>(&view)) {
    role = "table";
  } else {
    return;
  }
  out += ",\"ax\":{\"id\":";
  appendNumber(out, static_cast<double>(ViewInternals::serial(view)));
  out += ",\"role\":\"";
  out += role;
  out += '"';
  if (!label.empty()) {
    out += ",\"label\":";
    appendString(out, label);
  }
  if (!std::strcmp(role, "switch")) {
    out += value == "1" ? ",\"checked\":true" : ",\"checked\":false";
  } else if (!value.empty()) {
    out += ",\"value\":";
    appendString(out, value);
  }
  if (traits & UIAccessibilityTraitSelected) out += ",\"selected\":true";
  if (traits & UIAccessibilityTraitNotEnabled) out += ",\"disabled\":true";
  out += '}';
}

void RenderTree::writeLabel(std::string& out, const UILabel& label, CGSize size, Context& context) {
  if (label.text().empty()) return;
  auto font = label.font() ? label.font() : UIFont::systemFontOfSize(17);
  auto color = label.currentTextColor() ? label.currentTextColor() : UIColor::labelColor();
  out += ",\"text\":{\"font\":[";
  appendNumber(out, font->pointSize());
  out += ',';
  appendNumber(out, font->cssWeight());
  out += "],\"color\":";
  appendColor(out, color->rgba(context.style));
  out += ",\"align\":\"";
  out += alignmentName(label.textAlignment());
  out += "\",\"n\":";
  appendNumber(out, static_cast<double>(label.numberOfLines()));
  if (&label == context.caretLabel) out += ",\"caret\":true";

  if (auto attributed = label.attributedText()) {
    // Attributed text keeps its explicit line breaks; each line is a list of runs
    // [text, size, weight, colour].
    out += ",\"runs\":[[";
    long lines = 1;
    bool firstRun = true;
    const std::string& text = attributed->string();
    for (auto& run : attributed->runs()) {
      auto runFont = std::dynamic_pointer_cast<UIFont>(run.attributes.count(NSFontAttributeName)
                                                           ? run.attributes.at(NSFontAttributeName)
                                                           : nullptr);
      auto runColor = std::dynamic_pointer_cast<UIColor>(run.attributes.count(NSForegroundColorAttributeName)
                                                             ? run.attributes.at(NSForegroundColorAttributeName)
                                                             : nullptr);
      if (!runFont) runFont = font;
      if (!runColor) runColor = color;
      std::string piece = text.substr(run.range.location, run.range.length);
      std::size_t start = 0;
      while (start <= piece.size()) {
        std::size_t newline = piece.find('\n', start);
        std::string part = piece.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
        if (!part.empty()) {
          if (!firstRun) out += ',';
          firstRun = false;
          out += '[';
          appendString(out, part);
          out += ',';
          appendNumber(out, runFont->pointSize());
          out += ',';
          appendNumber(out, runFont->cssWeight());
          out += ',';
          appendColor(out, runColor->rgba(context.style));
          out += ']';
        }
        if (newline == std::string::npos) break;
        if (label.numberOfLines() > 0 && lines >= label.numberOfLines()) break;
        out += "],[";
        firstRun = true;
        ++lines;
        start = newline + 1;
      }
    }
    out += "]]}";
    return;
  }
  auto lines = label.linesForWidth(size.width);
  // Text beyond the line limit is not dropped: the last line takes the rest and is
  // cut with an ellipsis, as is a single line longer than the label. The browser's
  // font differs from the platform's measure, so the platform says where that happens.
  bool cut = false;
  // Only a label that used every line it may have can have left text out.
  if (label.numberOfLines() > 0 && !lines.empty() &&
      lines.size() >= static_cast<std::size_t>(label.numberOfLines())) {
    auto all = words(label.text());
    std::size_t shown = 0;
    for (auto& line : lines) shown += words(line).size();
    if (shown < all.size()) {
      std::string rest;
      const std::size_t lastLineWords = words(lines.back()).size();
      for (std::size_t i = shown - lastLineWords; i < all.size(); ++i)
        rest += (rest.empty() ? "" : " ") + all[i];
      lines.back() = rest;
      cut = true;
    }
  }
  if (label.numberOfLines() == 1 && lines.size() == 1 && font->widthOfText(lines[0]) > size.width + 0.5) cut = true;
  if (cut) out += ",\"cut\":true";
  out += ",\"lines\":[";
  bool first = true;
  for (auto& line : lines) {
    if (!first) out += ',';
    first = false;
    appendString(out, line);
  }
  out += "]}";
}

void RenderTree::writeImage(std::string& out, const UIImageView& imageView, CGRect frame, Context& context) {
  auto image = imageView.image();
  if (!image) return;
  std::string source;
  if (!image->isSymbolImage()) {
    if (!image->filePath().empty())
      source = assets_.fileURL(image->filePath());
    else if (image->pngData())
      source = assets_.pngURL(image->pngData());
    if (source.empty()) return;  // nothing the browser could fetch
  }
  CGRect rect = fitImage(frame, image->size(), imageView.contentMode());
  out += ",\"img\":{";
  if (image->isSymbolImage()) {
    out += "\"sym\":";
    appendString(out, image->symbolName());
  } else {
    out += "\"src\":";
    appendString(out, source);
  }
  // A template takes the tint around it unless it has its own; a symbol drawn as
  // it is keeps its own tint or the label colour.
  std::shared_ptr<UIColor> tint = image->tintColor();
  if (!tint && image->isTemplate()) tint = imageView.tintColor();
  if (!tint && image->isSymbolImage()) tint = UIColor::labelColor();
  if (tint) {
    out += ",\"tint\":";
    appendColor(out, tint->rgba(context.style));
  }
  out += ",\"rect\":";
  appendRect(out, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  out += '}';
}

}  // namespace kavro::sim
