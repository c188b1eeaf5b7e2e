// The text field: a tap begins editing, typing and deleting change the text and
// report it, the return key reports the primary action, resigning or leaving the
// window ends editing; pads type only their keys; secure fields show dots.

#include "platform/objc/Class.h"
#include "platform/uikit/TouchDriver.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextFieldPrivate.h"
#include "platform/uikit/UIWindow.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <random>

namespace kavro::test {

// Records the field's events by name, with the text at each.
class FieldEvents : public NSObject, public UITextFieldDelegate {
  KAVRO_OBJC_CLASS(FieldEvents)
 public:
  void began(const id&) { log.push_back("begin"); }
  void changed(const id& sender) { log.push_back("change:" + std::dynamic_pointer_cast<UITextField>(sender)->text()); }
  void returned(const id&) { log.push_back("return"); }
  void ended(const id&) { log.push_back("end"); }
  bool textFieldShouldReturn(const std::shared_ptr<UITextField>&) override { return allowReturn; }
  bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>&) override { return allowBegin; }
  std::vector<std::string> log;
  bool allowReturn = true, allowBegin = true;
};

KAVRO_OBJC_CLASS_IMPLEMENTATION(FieldEvents, NSObject,
                                .method("began:", &FieldEvents::began)
                                    .method("changed:", &FieldEvents::changed)
                                    .method("returned:", &FieldEvents::returned)
                                    .method("ended:", &FieldEvents::ended))

namespace {

class TextFieldTest : public DeviceTest {
 protected:
  TextFieldTest() {
    window = alloc<UIWindow>()->init();
    window->makeKeyAndVisible();
    field = alloc<UITextField>()->initWithFrame(CGRectMake(20, 200, 350, UITextField::kHeight));
    field->setPlaceholder("Name");
    events = alloc<FieldEvents>();
    field->addTarget(events, "began:", UIControlEventEditingDidBegin);
    field->addTarget(events, "changed:", UIControlEventEditingChanged);
    field->addTarget(events, "returned:", UIControlEventEditingDidEndOnExit);
    field->addTarget(events, "ended:", UIControlEventEditingDidEnd);
    field->setDelegate(std::static_pointer_cast<UITextFieldDelegate>(events));
    window->addSubview(field);
    window->layoutIfNeeded();
    finger.emplace(settings(), window);
  }
  std::string shown() { return kavro::platform::uikit::TextFieldInternals::textLabel(*field)->text(); }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITextField> field;
  std::shared_ptr<FieldEvents> events;
  std::optional<kavro::platform::uikit::TouchDriver> finger;
};

TEST_F(TextFieldTest, ATapBeginsEditingAndTypingIsReported) {
  EXPECT_EQ(shown(), "Name");
  field->insertText("x");  // not editing: the keyboard has nowhere to type
  EXPECT_EQ(field->text(), "");
  finger->tap({100, 217});
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ(UIResponder::currentFirstResponder(), field);
  field->insertText("Zoë");
  field->insertText("!");
  field->deleteBackward();
  field->deleteBackward();
  EXPECT_EQ(field->text(), "Zo");
  EXPECT_EQ(shown(), "Zo");
  field->returnKeyTapped();
  EXPECT_TRUE(field->isEditing());  // the return key alone ends nothing
  field->resignFirstResponder();
  EXPECT_FALSE(field->isEditing());
  EXPECT_EQ(events->log, (std::vector<std::string>{"begin", "change:Zoë", "change:Zoë!", "change:Zoë", "change:Zo",
                                                    "return", "end"}));
  field->setText("set by code");
  EXPECT_EQ(events->log.size(), 7u);
  EXPECT_EQ(field->accessibilityLabel(), "Name");
  EXPECT_EQ(field->accessibilityValue(), "set by code");
}

TEST_F(TextFieldTest, TheDelegateMayKeepEditingOrTheReturnKeyBack) {
  events->allowBegin = false;
  finger->tap({100, 217});
  EXPECT_FALSE(field->isEditing());
  events->allowBegin = true;
  field->becomeFirstResponder();
  events->allowReturn = false;
  field->returnKeyTapped();
  EXPECT_EQ(events->log, std::vector<std::string>{"begin"});
  field->setEnabled(false);
  field->resignFirstResponder();
  EXPECT_FALSE(field->becomeFirstResponder());
}

TEST_F(TextFieldTest, LeavingTheWindowEndsEditing) {
  field->becomeFirstResponder();
  field->removeFromSuperview();
  EXPECT_FALSE(field->isEditing());
  EXPECT_EQ(events->log, (std::vector<std::string>{"begin", "end"}));
  EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
}

TEST_F(TextFieldTest, SecureFieldsShowADotForEveryCharacter) {
  field->setSecureTextEntry(true);
  field->becomeFirstResponder();
  field->insertText("pä55");
  EXPECT_EQ(shown(), "\u2022\u2022\u2022\u2022");
  EXPECT_EQ(field->accessibilityValue(), "\u2022\u2022\u2022\u2022");
  EXPECT_EQ(field->text(), "pä55");
}

TEST_F(TextFieldTest, PadsTypeOnlyTheirKeys) {
  EXPECT_EQ(UITextField::typeableText("a1.2-3,4", UIKeyboardTypeNumberPad), "1234");
  EXPECT_EQ(UITextField::typeableText("a1.2-3,4", UIKeyboardTypeDecimalPad), "1.234");
  EXPECT_EQ(UITextField::typeableText("+1 (555) #7*", UIKeyboardTypePhonePad), "+1555#7*");
  EXPECT_EQ(UITextField::typeableText("any text", UIKeyboardTypeEmailAddress), "any text");
  field->setKeyboardType(UIKeyboardTypeNumberPad);
  field->becomeFirstResponder();
  field->insertText("x");
  EXPECT_TRUE(events->log.size() == 1);  // nothing typed, nothing reported
  field->insertText("4x2");
  EXPECT_EQ(field->text(), "42");

  // Whatever is typed, a pad's field holds only its keys.
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(1, 255);
  for (int round = 0; round < 500; ++round) {
    std::string typed(static_cast<std::size_t>(byte(random) % 8), ' ');
    for (char& c : typed) c = static_cast<char>(byte(random));
    field->insertText(typed);
  }
  EXPECT_EQ(field->text().find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace kavro::test
