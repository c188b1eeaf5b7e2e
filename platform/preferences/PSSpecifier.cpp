#include "platform/preferences/PSSpecifier.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PreferenceValues.h"

#include <array>
#include <utility>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSSpecifier, NSObject, )

namespace {

struct CellTypeName {
  PSCellType type;
  const char* name;
};

constexpr std::array<CellTypeName, 12> kCellTypeNames{{
    {PSCellType::group, "PSGroupCell"},
    {PSCellType::link, "PSLinkCell"},
    {PSCellType::linkList, "PSLinkListCell"},
    {PSCellType::listItem, "PSListItemCell"},
    {PSCellType::title, "PSTitleValueCell"},
    {PSCellType::staticText, "PSStaticTextCell"},
    {PSCellType::editText, "PSEditTextCell"},
    {PSCellType::switchCell, "PSSwitchCell"},
    {PSCellType::button, "PSButtonCell"},
    {PSCellType::slider, "PSSliderCell"},
    {PSCellType::segment, "PSSegmentCell"},
    {PSCellType::secureEditText, "PSSecureEditTextCell"},
}};

}  // namespace

std::optional<PSCellType> PSSpecifier::cellTypeNamed(const std::string& name) {
  for (const auto& entry : kCellTypeNames)
    if (name == entry.name) return entry.type;
  return std::nullopt;
}

const char* PSSpecifier::nameOfCellType(PSCellType type) {
  for (const auto& entry : kCellTypeNames)
    if (entry.type == type) return entry.name;
  return "PSStaticTextCell";
}

std::shared_ptr<PSSpecifier> PSSpecifier::preferenceSpecifierNamed(const std::string& name, const id& target,
                                                                  PSCellType cell,
                                                                  const std::string& detailClassName) {
  PlistValue::Dictionary properties{{"label", name}};
  if (!detailClassName.empty()) properties["detail"] = detailClassName;
  auto specifier = alloc<PSSpecifier>()->initWithProperties(cell, std::move(properties));
  specifier->setTarget(target);
  return specifier;
}

std::shared_ptr<PSSpecifier> PSSpecifier::groupSpecifierWithName(const std::string& name) {
  return alloc<PSSpecifier>()->initWithProperties(PSCellType::group, {{"label", name}});
}

std::shared_ptr<PSSpecifier> PSSpecifier::emptyGroupSpecifier() {
  return alloc<PSSpecifier>()->initWithProperties(PSCellType::group, {});
}

std::shared_ptr<PSSpecifier> PSSpecifier::initWithProperties(PSCellType type, PlistValue::Dictionary properties) {
  properties_ = std::move(properties);
  setCellType(type);
  return self<PSSpecifier>();
}

PlistValue PSSpecifier::propertyForKey(const std::string& key) const {
  auto found = properties_.find(key);
  return found == properties_.end() ? PlistValue() : found->second;
}

void PSSpecifier::setProperty(const PlistValue& value, const std::string& key) {
  objectProperties_.erase(key);
  if (value.isNil())
    properties_.erase(key);
  else
    properties_[key] = value;
}

void PSSpecifier::setProperty(const id& object, const std::string& key) {
  properties_.erase(key);
  if (object)
    objectProperties_[key] = object;
  else
    objectProperties_.erase(key);
}

void PSSpecifier::removePropertyForKey(const std::string& key) {
  properties_.erase(key);
  objectProperties_.erase(key);
}

id PSSpecifier::objectPropertyForKey(const std::string& key) const {
  auto found = objectProperties_.find(key);
  return found == objectProperties_.end() ? nullptr : found->second;
}

void PSSpecifier::setCellType(PSCellType type) {
  cellType_ = type;
  properties_["cell"] = nameOfCellType(type);
}

std::string PSSpecifier::name() const { return stringProperty("label"); }

void PSSpecifier::setName(const std::string& name) { setProperty(PlistValue(name), "label"); }

std::string PSSpecifier::identifier() const {
  PlistValue identifier = propertyForKey("id");
  return identifier.isString() ? *identifier.asString() : name();
}

void PSSpecifier::setIdentifier(const std::string& identifier) { setProperty(PlistValue(identifier), "id"); }

SEL PSSpecifier::buttonAction() const { return SEL(stringProperty("action")); }

void PSSpecifier::setButtonAction(const SEL& action) {
  setProperty(action.isNull() ? PlistValue() : PlistValue(action.name()), "action");
}

std::optional<double> PSSpecifier::height() const {
  auto height = kavro::platform::preferences::numberFrom(propertyForKey("height"));
  if (!height || *height < 1 || *height > kMaximumHeight) return std::nullopt;
  return height;
}

bool PSSpecifier::isEnabled() const {
  return kavro::platform::preferences::booleanFrom(propertyForKey("enabled")).value_or(true);
}

std::string PSSpecifier::description() const {
  return "<PSSpecifier " + std::string(nameOfCellType(cellType_)) + " \"" + identifier() + "\">";
}

std::string PSSpecifier::stringProperty(const std::string& key) const {
  return propertyForKey(key).stringOr("");
}
