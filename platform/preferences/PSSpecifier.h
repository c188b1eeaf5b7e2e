#pragma once
// A row of a preference page: its cell type and its dictionary of properties, as a
// specifier list item gives them ("label", "key", "defaults", "action", custom keys
// such as "subtitle"), plus object properties that a page attaches at run time
// ("iconImage"), and the object its actions go to (the target, not owned).

#include "platform/foundation/PlistValue.h"
#include "platform/objc/NSObject.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The cell types a specifier list names in its items' "cell" entries.
enum class PSCellType {
  group,       // PSGroupCell: starts a section
  link,        // PSLinkCell: opens a detail page
  linkList,    // PSLinkListCell: opens a list of choices
  listItem,    // PSListItemCell: one choice of such a list
  title,       // PSTitleValueCell: a title with a value
  staticText,  // PSStaticTextCell: text only, not selectable
  editText,    // PSEditTextCell: a text field bound to a stored string
  switchCell,  // PSSwitchCell: an on/off control bound to a stored value
  button,      // PSButtonCell: sends its action to the target
  slider,      // PSSliderCell: a slider bound to a stored number
  segment,     // PSSegmentCell: a segmented control of the row's choices
  secureEditText,  // PSSecureEditTextCell: a text field that shows dots
};

class PSSpecifier : public NSObject {
  KAVRO_OBJC_CLASS(PSSpecifier)
 public:
  // The type a cell name stands for ("PSSwitchCell"), or nullopt for a name the
  // framework does not know.
  static std::optional<PSCellType> cellTypeNamed(const std::string& name);
  static const char* nameOfCellType(PSCellType type);

  // A specifier made in code: the label, the target of its actions, its cell type
  // and, for a link row, the class name of the page it opens.
  static std::shared_ptr<PSSpecifier> preferenceSpecifierNamed(const std::string& name, const id& target,
                                                              PSCellType cell,
                                                              const std::string& detailClassName = "");
  static std::shared_ptr<PSSpecifier> groupSpecifierWithName(const std::string& name);
  static std::shared_ptr<PSSpecifier> emptyGroupSpecifier();

  // Initialises a specifier from a list item (its dictionary, "cell" included).
  std::shared_ptr<PSSpecifier> initWithProperties(PSCellType type, PlistValue::Dictionary properties);

  // The item's property-list properties. Object properties are not in it.
  const PlistValue::Dictionary& properties() const { return properties_; }
  // The property under `key`; nil when there is none (or it holds an object).
  PlistValue propertyForKey(const std::string& key) const;
  // Sets a property; nil removes it. A key holds one value: setting a
  // property-list value drops an object stored under the same key, and the reverse.
  void setProperty(const PlistValue& value, const std::string& key);
  void setProperty(const id& object, const std::string& key);
  void setProperty(std::nullptr_t, const std::string& key) { removePropertyForKey(key); }
  void removePropertyForKey(const std::string& key);
  // The object under `key` ("iconImage"), or nullptr.
  id objectPropertyForKey(const std::string& key) const;

  PSCellType cellType() const { return cellType_; }
  void setCellType(PSCellType type);

  // The label ("label"); empty when there is none.
  std::string name() const;
  void setName(const std::string& name);
  // "id" when present, else the label.
  std::string identifier() const;
  void setIdentifier(const std::string& identifier);

  // The object that receives the row's actions and owns its stored value (the
  // list controller, for rows it loaded). Not retained.
  id target() const { return target_.lock(); }
  void setTarget(const id& target) { target_ = target; }

  // "action": the selector a tap sends to the target; null when there is none.
  SEL buttonAction() const;
  void setButtonAction(const SEL& action);

  // Further string entries of the item; empty when absent.
  std::string cellClassName() const { return stringProperty("cellClass"); }
  std::string detailControllerClassName() const { return stringProperty("detail"); }
  std::string key() const { return stringProperty("key"); }
  std::string defaultsDomain() const { return stringProperty("defaults"); }
  std::string footerText() const { return stringProperty("footerText"); }
  std::string postNotification() const { return stringProperty("PostNotification"); }
  // "default": the value shown while nothing is stored; nil when absent.
  PlistValue defaultValue() const { return propertyForKey("default"); }
  // "height": a fixed row height, when the item gives one as a number or a numeric
  // string between 1 and kMaximumHeight points; other values are no height.
  static constexpr double kMaximumHeight = 2000;
  std::optional<double> height() const;
  // "enabled": false (or NO, 0) greys the row out; rows are enabled unless it says
  // otherwise.
  bool isEnabled() const;

  std::string description() const override;

 private:
  std::string stringProperty(const std::string& key) const;

  PSCellType cellType_ = PSCellType::staticText;
  PlistValue::Dictionary properties_;
  std::map<std::string, id> objectProperties_;
  std::weak_ptr<NSObject> target_;
};

using PSSpecifierArray = std::vector<std::shared_ptr<PSSpecifier>>;
