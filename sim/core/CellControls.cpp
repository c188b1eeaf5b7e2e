#include "sim/core/CellControls.h"

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UISegmentedControl.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITextField.h"
#include "sim/core/Dump.h"

namespace kavro::sim {

using nlohmann::json;

std::shared_ptr<UIControl> cellControl(const UITableViewCell& cell) {
  if (auto row = dynamic_cast<const PSTableCell*>(&cell))
    if (auto control = row->control()) return control;
  return std::dynamic_pointer_cast<UIControl>(cell.accessoryView());
}

json cellControlJson(const UITableViewCell& cell) {
  auto control = cellControl(cell);
  if (auto slider = std::dynamic_pointer_cast<UISlider>(control))
    return {{"kind", "slider"}, {"value", Dumper::number(slider->value())},
            {"min", Dumper::number(slider->minimumValue())}, {"max", Dumper::number(slider->maximumValue())}};
  if (auto segments = std::dynamic_pointer_cast<UISegmentedControl>(control)) {
    json titles = json::array();
    for (long segment = 0; segment < segments->numberOfSegments(); ++segment)
      titles.push_back(segments->titleForSegmentAtIndex(segment));
    long selected = segments->selectedSegmentIndex();
    // Every control has a "value": a segment's is the title it shows selected.
    json value = selected >= 0 && selected < static_cast<long>(titles.size()) ? titles[selected] : json(nullptr);
    return {{"kind", "segment"}, {"value", value}, {"titles", titles}, {"selected", selected}};
  }
  if (auto field = std::dynamic_pointer_cast<UITextField>(control))
    return {{"kind", "text"}, {"value", field->text()}, {"text", field->text()}, {"placeholder", field->placeholder()},
            {"secure", field->isSecureTextEntry()}, {"editing", field->isEditing()}};
  if (auto onOff = std::dynamic_pointer_cast<kavro::platform::uikit::OnOffControl>(control))
    return {{"kind", "switch"}, {"value", onOff->isOn()}};
  return nullptr;
}

bool cellEnabled(const UITableViewCell& cell) {
  auto row = dynamic_cast<const PSTableCell*>(&cell);
  return !row || row->isCellEnabled();
}

}  // namespace kavro::sim
