#include "platform/preferences/PSViewController.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSViewController, UIViewController, )

void PSViewController::setSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  specifier_ = specifier;
  if (specifier_ && !specifier_->name().empty()) setTitle(specifier_->name());
}
