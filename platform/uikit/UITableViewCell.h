#pragma once
// A table row's view: a content view with an image view and one or two labels in
// the layout of its style, an accessory (check mark, disclosure) and, while the
// table is editing, a reorder control.

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIListContentConfiguration.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <string>

enum UITableViewCellStyle : long {
  UITableViewCellStyleDefault = 0,
  UITableViewCellStyleValue1 = 1,
  UITableViewCellStyleValue2 = 2,
  UITableViewCellStyleSubtitle = 3,
};

enum UITableViewCellAccessoryType : long {
  UITableViewCellAccessoryNone = 0,
  UITableViewCellAccessoryDisclosureIndicator = 1,
  UITableViewCellAccessoryDetailDisclosureButton = 2,
  UITableViewCellAccessoryCheckmark = 3,
  UITableViewCellAccessoryDetailButton = 4,
};

enum UITableViewCellSelectionStyle : long {
  UITableViewCellSelectionStyleNone = 0,
  UITableViewCellSelectionStyleBlue = 1,
  UITableViewCellSelectionStyleGray = 2,
  UITableViewCellSelectionStyleDefault = 3,
};

enum UITableViewCellEditingStyle : long {
  UITableViewCellEditingStyleNone = 0,
  UITableViewCellEditingStyleDelete = 1,
  UITableViewCellEditingStyleInsert = 2,
};

class UITableViewCell : public UIView {
  KAVRO_OBJC_CLASS(UITableViewCell)
 public:
  static constexpr CGFloat kReorderControlWidth = 44;

  UITableViewCell();
  std::shared_ptr<UITableViewCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier);

  UITableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  std::shared_ptr<UIView> contentView() const { return contentView_; }
  std::shared_ptr<UILabel> textLabel() const { return textLabel_; }
  // Only the subtitle, value 1 and value 2 styles have a detail label.
  std::shared_ptr<UILabel> detailTextLabel() const { return detailTextLabel_; }
  std::shared_ptr<UIImageView> imageView() const { return imageView_; }

  UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(UITableViewCellAccessoryType type);
  std::shared_ptr<UIView> accessoryView() const { return accessoryView_; }
  void setAccessoryView(const std::shared_ptr<UIView>& view);
  UITableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(UITableViewCellSelectionStyle style) { selectionStyle_ = style; }

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated);
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated);
  bool showsReorderControl() const { return showsReorderControl_; }
  void setShowsReorderControl(bool shows);
  bool shouldIndentWhileEditing() const { return shouldIndentWhileEditing_; }
  void setShouldIndentWhileEditing(bool indent) { shouldIndentWhileEditing_ = indent; }
  UITableViewCellEditingStyle editingStyle() const { return editingStyle_; }
  void setEditingStyle(UITableViewCellEditingStyle style) { editingStyle_ = style; }
  // The reorder control, shown in editing mode when the row can move.
  std::shared_ptr<UIView> reorderControl() const { return reorderControl_; }

  std::shared_ptr<UIListContentConfiguration> defaultContentConfiguration() const;
  std::shared_ptr<UIListContentConfiguration> contentConfiguration() const { return contentConfiguration_; }
  void setContentConfiguration(const std::shared_ptr<UIListContentConfiguration>& configuration);

  // Called before a reused cell is handed out again.
  virtual void prepareForReuse();
  void layoutSubviews() override;

  // Accessibility: the row, read as its text and detail; selected when it shows a
  // check mark. What it holds that is an element of its own (a switch) stays one.
  bool isAccessibilityElement() const override { return explicitAccessibilityElement().value_or(true); }
  std::string accessibilityLabel() const override;
  UIAccessibilityTraits accessibilityTraits() const override;
  // The rounded corners a grouped table gives the first and last cell of a section.
  void setGroupedCorners(bool top, bool bottom);
  bool hasTopCorners() const { return topCorners_; }
  bool hasBottomCorners() const { return bottomCorners_; }

 private:
  // The parts of layoutSubviews: each trailing part returns the edge left for the
  // content, the image where the labels begin.
  CGFloat layoutReorderControl(CGFloat right);
  CGFloat layoutAccessory(CGFloat right);
  CGFloat layoutImage(CGRect content);
  void layoutLabels(CGRect content, CGFloat x);
  UITableViewCellStyle style_ = UITableViewCellStyleDefault;
  std::string reuseIdentifier_;
  std::shared_ptr<UIView> contentView_;
  std::shared_ptr<UILabel> textLabel_;
  std::shared_ptr<UILabel> detailTextLabel_;
  std::shared_ptr<UIImageView> imageView_;
  UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryNone;
  std::shared_ptr<UIView> accessoryView_;
  std::shared_ptr<UIImageView> accessoryImageView_;
  std::shared_ptr<UIView> reorderControl_;
  UITableViewCellSelectionStyle selectionStyle_ = UITableViewCellSelectionStyleDefault;
  UITableViewCellEditingStyle editingStyle_ = UITableViewCellEditingStyleDelete;
  bool selected_ = false;
  bool highlighted_ = false;
  bool editing_ = false;
  bool showsReorderControl_ = false;
  bool shouldIndentWhileEditing_ = true;
  bool topCorners_ = false;
  bool bottomCorners_ = false;
  std::shared_ptr<UIListContentConfiguration> contentConfiguration_;
};
