#pragma once
// The cell of a preference row: its title from the row's label, its icon from the
// row's "iconImage" (a picture the row names as "icon" drawn 29 points square), the
// look of its cell type (a disclosure indicator on link rows, a tint-coloured title
// on button rows, no selection on rows a tap does nothing on), the value of a
// title-value or link-list row as its detail text, and a height that fits its
// labels. Rows name subclasses by "cellClass".

#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UITableViewCell.h"

#include <memory>
#include <string>

class PSListController;
class UIControl;

class PSTableCell : public UITableViewCell {
  KAVRO_OBJC_CLASS(PSTableCell)
 public:
  // No row is lower than this.
  static constexpr CGFloat kMinimumHeight = 44;
  // Space above and below the labels, and beside the content.
  static constexpr CGFloat kVerticalPadding = 11;
  static constexpr CGFloat kHorizontalPadding = 16;
  // The side of a picture a row names as its "icon".
  static constexpr CGFloat kIconSize = 29;

  // The style a row of this type is made with.
  static UITableViewCellStyle cellStyleForType(PSCellType type);
  // Whether a tap on the row does something: not on groups, static text, title-value
  // rows, rows with "isStaticText", or rows whose control takes the touches.
  static bool isSelectableRow(const PSSpecifier& specifier);

  // Makes the cell for the row of `specifier`. Subclasses call this first.
  virtual std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                                     const std::shared_ptr<PSSpecifier>& specifier);

  std::shared_ptr<PSSpecifier> specifier() const { return specifier_; }
  void setSpecifier(const std::shared_ptr<PSSpecifier>& specifier) { specifier_ = specifier; }
  // The cell type of the row the cell was made for.
  PSCellType type() const { return type_; }

  // Brings the cell up to date with its row: title, icon and enabled state. The
  // list controller calls it every time it hands the cell to the table.
  virtual void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

  bool isCellEnabled() const { return cellEnabled_; }
  virtual void setCellEnabled(bool enabled);
  // The control that shows and edits the row's value (a switch, slider, segmented
  // control or text field), or nullptr for rows without one.
  virtual std::shared_ptr<UIControl> control() const { return nullptr; }

  void prepareForReuse() override;
  void tintColorDidChange() override;
  void layoutSubviews() override;
  // The height the labels need within `size.width`, never below kMinimumHeight.
  CGSize sizeThatFits(CGSize size) const override;

 protected:
  // The controller that owns the row's stored value: the specifier's target, when
  // that is a list controller.
  std::shared_ptr<PSListController> listController() const;

 private:
  void showTitleAndIcon(const PSSpecifier& specifier);
  void showValueAsDetail(const std::shared_ptr<PSSpecifier>& specifier);
  // Whether the row's icon is a picture it named, drawn kIconSize points square.
  bool hasListIcon() const;
  void showDisclosureIfLink();
  void applyTitleColour();
  CGFloat labelsWidth(CGFloat width) const;

  std::shared_ptr<PSSpecifier> specifier_;
  PSCellType type_ = PSCellType::staticText;
  bool cellEnabled_ = true;
};
