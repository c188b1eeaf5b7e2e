#include "platform/preferences/PSSegmentTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PreferenceValues.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSSegmentTableCell, PSControlTableCell, )

using kavro::platform::preferences::Choices;
using kavro::platform::preferences::choicesOf;

std::shared_ptr<UIControl> PSSegmentTableCell::newControl() {
  std::vector<std::string> titles;
  if (auto row = specifier()) {
    Choices choices = choicesOf(*row);
    titles.assign(choices.titles.begin(), choices.titles.begin() + static_cast<long>(choices.count()));
    values_.assign(choices.values.begin(), choices.values.begin() + static_cast<long>(choices.count()));
  }
  return alloc<UISegmentedControl>()->initWithItems(titles);
}

std::shared_ptr<UISegmentedControl> PSSegmentTableCell::segmentedControl() const {
  return std::dynamic_pointer_cast<UISegmentedControl>(control());
}

PlistValue PSSegmentTableCell::controlValue() const {
  auto control = segmentedControl();
  long selected = control ? control->selectedSegmentIndex() : UISegmentedControlNoSegment;
  if (selected < 0 || selected >= static_cast<long>(values_.size())) return {};
  return values_[static_cast<std::size_t>(selected)];
}

void PSSegmentTableCell::setValue(const PlistValue& value) {
  auto control = segmentedControl();
  if (!control) return;
  long selected = UISegmentedControlNoSegment;
  for (std::size_t index = 0; index < values_.size() && !value.isNil(); ++index)
    if (kavro::platform::preferences::sameChoice(values_[index], value)) {
      selected = static_cast<long>(index);
      break;
    }
  control->setSelectedSegmentIndex(selected);
}
