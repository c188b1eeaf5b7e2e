#pragma once
// What only the stand-in and its front ends use of a text field: the label that
// shows its text or placeholder (where a caret goes while it edits).

#include "platform/uikit/UITextField.h"

namespace kavro::platform::uikit {

struct TextFieldInternals {
  static std::shared_ptr<UILabel> textLabel(const UITextField& field) { return field.label_; }
};

}  // namespace kavro::platform::uikit
