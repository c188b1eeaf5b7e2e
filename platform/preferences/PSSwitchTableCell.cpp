#include "platform/preferences/PSSwitchTableCell.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UISwitch.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSSwitchTableCell, PSControlTableCell, )

std::shared_ptr<UIControl> PSSwitchTableCell::newControl() { return alloc<UISwitch>()->initWithFrame(CGRectZero); }

PlistValue PSSwitchTableCell::controlValue() const {
  auto* onOff = dynamic_cast<kavro::platform::uikit::OnOffControl*>(control().get());
  return onOff ? PlistValue(onOff->isOn()) : PlistValue();
}

void PSSwitchTableCell::setValue(const PlistValue& value) {
  if (auto* onOff = dynamic_cast<kavro::platform::uikit::OnOffControl*>(control().get())) onOff->setOn(value.boolValue(), false);
}
