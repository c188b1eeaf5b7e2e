#pragma once
// The cell of a text row (PSEditTextCell, PSSecureEditTextCell): a UITextField
// across the row after its title, showing the row's stored string, its
// "placeholder" while empty, dots for a secure row. "keyboard" = "numbers" gives the
// field the number pad ("isDecimalPad" the decimal pad), "phone" the phone pad,
// "email" and "url" those keyboards. What was typed is stored when editing ends,
// and the return key ends it; a refresh while the field edits leaves the typing
// alone.

#include "platform/preferences/PSControlTableCell.h"
#include "platform/uikit/UITextField.h"

class PSEditableTableCell : public PSControlTableCell {
  KAVRO_OBJC_CLASS(PSEditableTableCell)
 public:
  // The keyboard a row's "keyboard" and "isDecimalPad" ask for.
  static UIKeyboardType keyboardTypeForSpecifier(const PSSpecifier& specifier);

  std::shared_ptr<UIControl> newControl() override;
  bool controlFillsRow() const override { return true; }
  unsigned long storingEvents() const override { return UIControlEventEditingDidEnd; }

  PlistValue controlValue() const override;
  void setValue(const PlistValue& value) override;
  std::shared_ptr<UITextField> textField() const;
  // Begins editing the field, as a tap on the row does.
  void beginEditing();

  // "returnPressed:": the return key ends editing, which stores the text.
  void returnPressed(const id& sender);
};
