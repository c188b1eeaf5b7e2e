#pragma once
// What a keyboard types into: the responder that is editing text (a text field)
// takes inserted text, deletions of its last character and the return key. Front
// ends hand typing to the first responder through it.

#include <string>

class UIKeyInput {
 public:
  virtual ~UIKeyInput() = default;
  virtual bool hasText() const = 0;
  // Text typed at the end of what the responder holds.
  virtual void insertText(const std::string& text) = 0;
  // The last character (a whole UTF-8 sequence) removed.
  virtual void deleteBackward() = 0;
  // The keyboard's return key.
  virtual void returnKeyTapped() = 0;
};
