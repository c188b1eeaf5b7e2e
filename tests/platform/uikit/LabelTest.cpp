// Labels: the lines a label breaks its text into (what the browser draws, line for
// line), the line limit, the size those lines take, and attributed text.

#include "platform/uikit/UILabel.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class LabelTest : public kavro::test::DeviceTest {
 protected:
  // A label in the 10-point system font: "a" is 5.2 points wide, a space 2.6.
  std::shared_ptr<UILabel> label(const std::string& text, long lines = 0) {
    auto made = alloc<UILabel>()->initWithFrame(CGRectMake(0, 0, 100, 40));
    made->setFont(UIFont::systemFontOfSize(10));
    made->setNumberOfLines(lines);
    made->setText(text);
    return made;
  }
};

TEST_F(LabelTest, WordsFillEachLineGreedilyAndAreNeverSplit) {
  auto words = label("aa aa aa");  // 10.4, 23.4 and 36.4 points wide
  EXPECT_EQ(words->linesForWidth(40), Lines{"aa aa aa"});
  EXPECT_EQ(words->linesForWidth(36), (Lines{"aa aa", "aa"}));
  EXPECT_EQ(words->linesForWidth(23), (Lines{"aa", "aa", "aa"}));
  // A word wider than the label keeps a line of its own, whole.
  EXPECT_EQ(label("a aaaaaaaaaa a")->linesForWidth(20), (Lines{"a", "aaaaaaaaaa", "a"}));
  // The font decides: the same text breaks sooner in a larger one.
  auto larger = label("aa aa aa");
  larger->setFont(UIFont::systemFontOfSize(20));
  EXPECT_EQ(larger->linesForWidth(40), (Lines{"aa", "aa", "aa"}));
}

TEST_F(LabelTest, SpacesCollapseAndLineBreaksStartNewLines) {
  EXPECT_EQ(label("  aa \t  bb  ")->linesForWidth(100), Lines{"aa bb"});
  EXPECT_EQ(label("aa\n\nbb\n")->linesForWidth(100), (Lines{"aa", "", "bb"}));
  EXPECT_EQ(label("aa\n   \nbb")->linesForWidth(100), (Lines{"aa", "", "bb"}));
  EXPECT_EQ(label("\n")->linesForWidth(100), Lines{""});
  EXPECT_TRUE(label("")->linesForWidth(100).empty());
  // Wrapping works within each paragraph.
  EXPECT_EQ(label("aa aa aa\naa")->linesForWidth(24), (Lines{"aa aa", "aa", "aa"}));
}

TEST_F(LabelTest, TheLineLimitKeepsTheFirstLines) {
  const std::string text = "aa aa aa aa";
  EXPECT_EQ(label(text, 1)->linesForWidth(24), Lines{"aa aa"});
  EXPECT_EQ(label(text, 2)->linesForWidth(24), (Lines{"aa aa", "aa aa"}));
  EXPECT_EQ(label(text, 0)->linesForWidth(11), (Lines{"aa", "aa", "aa", "aa"}));
  EXPECT_EQ(label(text, -3)->numberOfLines(), 0);  // no limit
  EXPECT_EQ(alloc<UILabel>()->initWithFrame(CGRectZero)->numberOfLines(), 1);
}

TEST_F(LabelTest, ItsSizeIsTheWidestLineByTheLinesHeight) {
  auto words = label("aa aa aa");
  CGSize fitted = words->sizeThatFits({24, 0});
  EXPECT_NEAR(fitted.width, 23.4, 1e-9);
  EXPECT_NEAR(fitted.height, 2 * 12.0, 1e-9);  // a line is 1.2 times the point size
  CGSize single = words->intrinsicContentSize();
  EXPECT_NEAR(single.width, 36.4, 1e-9);
  EXPECT_NEAR(single.height, 12.0, 1e-9);
  // A word wider than the offered width is cut to it.
  EXPECT_EQ(label("aaaaaaaaaa")->sizeThatFits({20, 0}).width, 20);
  EXPECT_EQ(label("")->sizeThatFits({100, 0}), CGSizeMake(0, 0));
}

TEST_F(LabelTest, AttributedTextKeepsItsRunsAndBreaksInTheLabelsFont) {
  auto text = alloc<NSMutableAttributedString>()->initWithString("Kavro\nVersion 2");
  auto title = UIFont::systemFontOfSize(18, UIFontWeightSemibold);
  auto small = UIFont::systemFontOfSize(12);
  text->addAttribute(NSFontAttributeName, title, NSStringRangeOfString(text->string(), "Kavro"));
  text->addAttribute(NSFontAttributeName, small, NSStringRangeOfString(text->string(), "Version 2"));
  // A range past the end is cut to it; a range that was not found changes nothing.
  text->addAttribute(NSForegroundColorAttributeName, UIColor::redColor(), NSMakeRange(14, 10));
  text->addAttribute(NSForegroundColorAttributeName, UIColor::redColor(), NSStringRangeOfString(text->string(), "x"));

  auto shown = label("");
  shown->setAttributedText(text);
  EXPECT_EQ(shown->text(), "Kavro\nVersion 2");
  EXPECT_EQ(shown->linesForWidth(200), (Lines{"Kavro", "Version 2"}));
  auto runs = text->runs();
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].range, NSMakeRange(0, 5));
  EXPECT_EQ(runs[0].attributes.at(NSFontAttributeName), title);
  EXPECT_EQ(runs[1].range, NSMakeRange(5, 1));  // the line break carries no font
  EXPECT_TRUE(runs[1].attributes.empty());
  EXPECT_EQ(runs[2].range, NSMakeRange(6, 8));
  EXPECT_EQ(runs[3].range, NSMakeRange(14, 1));
  EXPECT_EQ(runs[3].attributes.size(), 2u);
  // Plain text afterwards drops the attributes.
  shown->setText("plain");
  EXPECT_FALSE(shown->attributedText());
}

}  // namespace
