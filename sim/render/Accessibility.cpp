#include "sim/render/Accessibility.h"

#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewCell.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewPrivate.h"

#include <string>

namespace kavro::sim {

namespace {

using kavro::platform::uikit::ViewInternals;

struct Element {
  const char* role = nullptr;
  std::string label;
  std::string value;
  UIAccessibilityTraits traits = UIAccessibilityTraitNone;
};

// The role a screen reader gives an accessibility element, from its kind and traits.
const char* elementRole(const UIView& view, UIAccessibilityTraits traits) {
  if (dynamic_cast<const UITableViewCell*>(&view)) return "row";
  if (traits & UIAccessibilityTraitToggleButton) return "switch";
  if (traits & UIAccessibilityTraitAdjustable) return "slider";
  if (dynamic_cast<const UISegmentedControl*>(&view)) return "radiogroup";
  if (dynamic_cast<const UITextField*>(&view)) return "textbox";
  if (traits & UIAccessibilityTraitSearchField) return "searchbox";
  if (traits & UIAccessibilityTraitButton) return "button";
  if (traits & UIAccessibilityTraitLink) return "link";
  if (traits & UIAccessibilityTraitHeader) return "heading";
  if (traits & UIAccessibilityTraitImage) return "img";
  return "text";
}

// A container that groups elements: a presented alert, a presented sheet, a table.
Element container(const UIView& view, bool isSheet) {
  Element found;
  if (auto alert = std::dynamic_pointer_cast<UIAlertController>(ViewInternals::viewController(view))) {
    found.role = "alertdialog";
    found.label = alert->title();
    found.value = alert->message();
  } else if (isSheet) {
    found.role = "dialog";
    if (auto controller = ViewInternals::viewController(view)) found.label = controller->title();
  } else if (dynamic_cast<const UITableView*>(&view)) {
    found.role = "table";
  }
  return found;
}

void writeElement(JsonWriter& out, const UIView& view, const Element& element) {
  out.key("ax").beginObject();
  out.member("id", static_cast<double>(ViewInternals::serial(view)));
  out.member("role", element.role);
  if (!element.label.empty()) out.member("label", element.label);
  if (std::string_view(element.role) == "switch")
    out.member("checked", element.value == "1");
  else if (!element.value.empty())
    out.member("value", element.value);
  if (element.traits & UIAccessibilityTraitSelected) out.member("selected", true);
  if (element.traits & UIAccessibilityTraitNotEnabled) out.member("disabled", true);
  out.endObject();
}

}  // namespace

void writeAccessibility(RenderPass& pass, const UIView& view, bool isSheet, RenderScope& subtree) {
  if (subtree.unexposed || subtree.inElement) return;
  bool isElement = view.isAccessibilityElement();
  // A row reads its own labels; the other elements it holds (a switch) stay theirs.
  if (isElement && subtree.inRow && dynamic_cast<const UILabel*>(&view)) isElement = false;
  Element element;
  if (isElement) {
    element.traits = view.accessibilityTraits();
    element.role = elementRole(view, element.traits);
    element.label = view.accessibilityLabel();
    element.value = view.accessibilityValue();
    if (dynamic_cast<const UITableViewCell*>(&view))
      subtree.inRow = true;
    else
      subtree.inElement = true;
  } else {
    element = container(view, isSheet);
  }
  if (element.role) writeElement(pass.out, view, element);
}

}  // namespace kavro::sim
