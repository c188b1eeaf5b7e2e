#include "platform/preferences/PSEditableTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PreferenceValues.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSEditableTableCell, PSControlTableCell,
                                .method("returnPressed:", &PSEditableTableCell::returnPressed))

UIKeyboardType PSEditableTableCell::keyboardTypeForSpecifier(const PSSpecifier& specifier) {
  if (kavro::platform::preferences::booleanFrom(specifier.propertyForKey("isDecimalPad")).value_or(false))
    return UIKeyboardTypeDecimalPad;
  std::string keyboard = specifier.propertyForKey("keyboard").stringOr("");
  if (keyboard == "numbers") return UIKeyboardTypeNumberPad;
  if (keyboard == "phone") return UIKeyboardTypePhonePad;
  if (keyboard == "email") return UIKeyboardTypeEmailAddress;
  if (keyboard == "url") return UIKeyboardTypeURL;
  return UIKeyboardTypeDefault;
}

std::shared_ptr<UIControl> PSEditableTableCell::newControl() {
  auto field = alloc<UITextField>()->initWithFrame(CGRectMake(0, 0, 0, UITextField::kHeight));
  if (auto row = specifier()) {
    field->setPlaceholder(row->propertyForKey("placeholder").stringOr(""));
    field->setSecureTextEntry(row->cellType() == PSCellType::secureEditText);
    field->setKeyboardType(keyboardTypeForSpecifier(*row));
  }
  field->addTarget(shared_from_this(), "returnPressed:", UIControlEventEditingDidEndOnExit);
  return field;
}

std::shared_ptr<UITextField> PSEditableTableCell::textField() const {
  return std::dynamic_pointer_cast<UITextField>(control());
}

PlistValue PSEditableTableCell::controlValue() const {
  auto field = textField();
  return field ? PlistValue(field->text()) : PlistValue();
}

void PSEditableTableCell::setValue(const PlistValue& value) {
  auto field = textField();
  if (!field || field->isEditing()) return;
  field->setText(value.stringOr(""));
}

void PSEditableTableCell::beginEditing() {
  if (auto field = textField(); field && isCellEnabled()) field->becomeFirstResponder();
}

void PSEditableTableCell::returnPressed(const id&) {
  if (auto field = textField()) field->resignFirstResponder();
}
