// Text rows: the field shows the stored string (else the default, else its
// placeholder); a tap on the field or the row begins editing; what was typed is
// stored when editing ends or on return, once; pads and secure rows.

#include "tests/platform/preferences/PreferencesTestSupport.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/preferences/PSEditableTableCell.h"

namespace kavro::test {
namespace {

constexpr const char* kTextDomain = "com.example.texts";

PlistValue textRow(const std::string& cell, const std::string& label, const std::string& key,
                   PlistValue::Dictionary extra = {}) {
  extra["key"] = key;
  extra["defaults"] = kTextDomain;
  return item(cell, label, std::move(extra));
}

class TextRowsTest : public PreferencesTest {
 protected:
  std::shared_ptr<PSEditableTableCell> cellAt(long row) {
    return std::dynamic_pointer_cast<PSEditableTableCell>(page->table()->cellForRowAtIndexPath({0, row}));
  }
  std::shared_ptr<UITextField> fieldAt(long row) { return cellAt(row)->textField(); }
  PlistValue stored(const std::string& key) { return NSUserDefaults::standardUserDefaults()->objectForKey(key, kTextDomain); }
  std::shared_ptr<TestListController> page;
};

TEST_F(TextRowsTest, FieldsShowTheStoredStringElseTheDefaultElseThePlaceholder) {
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue("Ada"), "name", kTextDomain);
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(42), "number", kTextDomain);
  writeRoot({textRow("PSEditTextCell", "Name", "name", {{"placeholder", "Your name"}}),
             textRow("PSEditTextCell", "Number", "number", {{"default", "7"}, {"keyboard", "numbers"}}),
             textRow("PSSecureEditTextCell", "Password", "password", {{"placeholder", "Required"}}),
             textRow("PSEditTextCell", "Amount", "amount", {{"isDecimalPad", true}, {"keyboard", "numbers"}})});
  page = showPageInWindow();

  EXPECT_EQ(fieldAt(0)->text(), "Ada");
  EXPECT_EQ(fieldAt(0)->placeholder(), "Your name");
  EXPECT_EQ(fieldAt(1)->text(), "7");  // a number is no string: the default shows
  EXPECT_EQ(fieldAt(1)->keyboardType(), UIKeyboardTypeNumberPad);
  EXPECT_TRUE(fieldAt(2)->isSecureTextEntry());
  EXPECT_EQ(fieldAt(2)->displayedText(), "Required");
  EXPECT_EQ(fieldAt(3)->keyboardType(), UIKeyboardTypeDecimalPad);
  EXPECT_EQ(cellAt(0)->control(), fieldAt(0));
  EXPECT_LE(CGRectGetMaxX(cellAt(0)->textLabel()->frameInWindow()), CGRectGetMinX(fieldAt(0)->frameInWindow()));
}

TEST_F(TextRowsTest, TypingIsStoredWhenEditingEnds) {
  writeRoot({textRow("PSEditTextCell", "Name", "name", {{"PostNotification", "com.example/name"}}),
             textRow("PSSecureEditTextCell", "Password", "password")});
  page = showPageInWindow();
  tapView(fieldAt(0));
  ASSERT_TRUE(fieldAt(0)->isEditing());
  fieldAt(0)->insertText("Grace");
  EXPECT_TRUE(stored("name").isNil());
  // A refresh while typing leaves the typing alone.
  page->table()->reloadData();
  page->table()->layoutIfNeeded();
  EXPECT_EQ(fieldAt(0)->text(), "Grace");
  fieldAt(0)->returnKeyTapped();
  EXPECT_FALSE(fieldAt(0)->isEditing());
  EXPECT_EQ(stored("name"), PlistValue("Grace"));
  EXPECT_EQ(eventsNamed("notify").size(), 1u);

  // A tap on the row, away from the field, begins editing too; editing ended by
  // another field stores; ending with nothing changed stores nothing.
  finger->tap({CGRectGetMinX(cellAt(1)->frameInWindow()) + 20, centreOf(cellAt(1)).y});
  ASSERT_TRUE(fieldAt(1)->isEditing());
  fieldAt(1)->insertText("s3cret");
  EXPECT_EQ(fieldAt(1)->displayedText(), "\u2022\u2022\u2022\u2022\u2022\u2022");
  tapView(fieldAt(0));
  EXPECT_EQ(stored("password"), PlistValue("s3cret"));
  fieldAt(0)->resignFirstResponder();
  EXPECT_EQ(eventsNamed("notify").size(), 1u);
}

TEST_F(TextRowsTest, LeavingThePageStoresWhatWasTyped) {
  writeRoot({textRow("PSEditTextCell", "Name", "name"), item("PSLinkCell", "More", {{"detail", "TestListController"}})});
  page = showPageInWindow();
  tapView(fieldAt(0));
  fieldAt(0)->insertText("Lin");
  tapView(page->table()->cellForRowAtIndexPath({0, 1}));
  topPage();
  EXPECT_EQ(stored("name"), PlistValue("Lin"));
}

TEST_F(TextRowsTest, DisabledTextRowsDoNotEdit) {
  writeRoot({textRow("PSEditTextCell", "Name", "name", {{"enabled", false}})});
  page = showPageInWindow();
  tapView(fieldAt(0));
  page->didSelectRowAtIndexPath(page->table(), {0, 0});
  EXPECT_FALSE(fieldAt(0)->isEditing());
  EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
}

}  // namespace
}  // namespace kavro::test
