// How a label lays its text out for those who draw it: the lines it shows under its
// line limit, the rest of the text held on the last line, where an ellipsis goes,
// attributed runs split at their line breaks, and each line's height. Checked on
// hand-picked labels and on generated ones against an independent count of words.

#include "platform/uikit/UILabelPrivate.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kavro::platform::uikit::LabelInternals;
using Lines = std::vector<std::string>;

// The text of each line, its runs put together.
Lines textOf(const LabelInternals::Layout& layout) {
  Lines lines;
  for (auto& line : layout.lines) {
    std::string text;
    for (auto& run : line.runs) text += run.text;
    lines.push_back(text);
  }
  return lines;
}

// The words of a text, split at any white space: counted without the label's code.
Lines wordsOf(const std::string& text) {
  Lines words;
  std::istringstream stream(text);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

class LabelLayoutTest : public kavro::test::DeviceTest {
 protected:
  // A label in the 10-point system font: "a" is 5.2 points wide, a space 2.6.
  std::shared_ptr<UILabel> label(const std::string& text, long lines) {
    auto made = alloc<UILabel>()->initWithFrame(CGRectMake(0, 0, 100, 40));
    made->setFont(UIFont::systemFontOfSize(10));
    made->setNumberOfLines(lines);
    made->setText(text);
    return made;
  }
  static LabelInternals::Layout layout(const std::shared_ptr<UILabel>& label, CGFloat width) {
    return LabelInternals::layout(*label, width);
  }
};

TEST_F(LabelLayoutTest, TextPastTheLineLimitIsHeldOnTheLastLineWhichIsCut) {
  auto limited = layout(label("aa aa aa aa aa", 2), 24);
  EXPECT_EQ(textOf(limited), (Lines{"aa aa", "aa aa aa"}));
  EXPECT_TRUE(limited.truncated);
  EXPECT_FALSE(limited.attributed);

  // Within the limit, or without one, the lines are the label's own and nothing is cut.
  auto fits = layout(label("aa aa aa aa", 2), 24);
  EXPECT_EQ(textOf(fits), (Lines{"aa aa", "aa aa"}));
  EXPECT_FALSE(fits.truncated);
  EXPECT_FALSE(layout(label("aa aa aa aa aa", 0), 24).truncated);

  // Empty paragraphs past the limit hold no text: nothing is cut for them.
  auto blank = layout(label("aa\naa\n\n\n", 2), 100);
  EXPECT_EQ(textOf(blank), (Lines{"aa", "aa"}));
  EXPECT_FALSE(blank.truncated);
  // Paragraphs past the limit join the last line with a space.
  EXPECT_EQ(textOf(layout(label("aa\n\nbb\ncc", 2), 100)), (Lines{"aa", "bb cc"}));
}

TEST_F(LabelLayoutTest, ASingleLineWiderThanTheLabelIsCut) {
  auto word = layout(label("aaaaaaaaaa", 1), 20);  // 52 points in 20
  EXPECT_EQ(textOf(word), Lines{"aaaaaaaaaa"});
  EXPECT_TRUE(word.truncated);
  EXPECT_FALSE(layout(label("aaaa", 1), 20.5).truncated) << "within half a point it fits";
  // The same word in a label of many lines stands on its own line, whole, uncut.
  EXPECT_FALSE(layout(label("aaaaaaaaaa", 0), 20).truncated);
  EXPECT_TRUE(layout(label("", 1), 20).lines.empty());
}

TEST_F(LabelLayoutTest, EachLineIsOneRunInTheLabelsFontAndColourAsTallAsItsLineHeight) {
  auto shown = label("aa\n\nbb", 0);
  auto red = UIColor::redColor();
  shown->setTextColor(red);
  auto laid = layout(shown, 100);
  ASSERT_EQ(laid.lines.size(), 3u);
  for (auto& line : laid.lines) {
    ASSERT_EQ(line.runs.size(), 1u);
    EXPECT_EQ(line.runs[0].font, shown->font());
    EXPECT_EQ(line.runs[0].color, red);
    EXPECT_DOUBLE_EQ(line.height, 12);
  }
  EXPECT_EQ(laid.lines[1].runs[0].text, "") << "an empty paragraph is an empty line";
  // A highlighted label lays out in its highlighted colour.
  auto white = UIColor::whiteColor();
  shown->setHighlightedTextColor(white);
  shown->setHighlighted(true);
  EXPECT_EQ(layout(shown, 100).lines[0].runs[0].color, white);
}

TEST_F(LabelLayoutTest, AttributedTextBreaksOnlyAtItsLineBreaksInItsRunsFontsAndColours) {
  auto text = alloc<NSMutableAttributedString>()->initWithString("Kavro\nVersion 1.0\n\nmore");
  auto title = UIFont::systemFontOfSize(18, UIFontWeightSemibold);
  text->addAttribute(NSFontAttributeName, title, {0, 5});
  auto red = UIColor::redColor();
  text->addAttribute(NSForegroundColorAttributeName, red, {6, 1});
  auto shown = label("", 0);
  shown->setAttributedText(text);
  auto laid = layout(shown, 20);  // narrower than any line: attributed text does not wrap
  EXPECT_TRUE(laid.attributed);
  EXPECT_EQ(textOf(laid), (Lines{"Kavro", "Version 1.0", "", "more"}));
  ASSERT_EQ(laid.lines[1].runs.size(), 2u);
  EXPECT_EQ(laid.lines[1].runs[0].color, red);
  EXPECT_EQ(laid.lines[1].runs[1].color, shown->currentTextColor()) << "the label's colour where the run sets none";
  EXPECT_EQ(laid.lines[1].runs[1].font, shown->font());
  EXPECT_TRUE(laid.lines[2].runs.empty());
  EXPECT_DOUBLE_EQ(laid.lines[0].height, title->lineHeight()) << "a line is as tall as its tallest font";
  EXPECT_DOUBLE_EQ(laid.lines[2].height, shown->font()->lineHeight());
  EXPECT_FALSE(laid.truncated);

  // Past the limit the rest joins the last line, run by run, and it is cut.
  shown->setNumberOfLines(2);
  auto limited = layout(shown, 20);
  EXPECT_EQ(textOf(limited), (Lines{"Kavro", "Version 1.0 more"}));
  EXPECT_TRUE(limited.truncated);
  shown->setNumberOfLines(3);
  EXPECT_EQ(textOf(layout(shown, 20)), (Lines{"Kavro", "Version 1.0", "more"})) << "an empty line adds no space";
  shown->setNumberOfLines(4);
  EXPECT_FALSE(layout(shown, 20).truncated);
}

// Generated labels: words of one to twelve letters, spaces, tabs and line breaks,
// in labels of any width and line limit.
TEST_F(LabelLayoutTest, GeneratedLabelsLoseNoWordAndCutExactlyWhenWordsAreNotShown) {
  std::mt19937 generator(20240615);
  const char* separators[] = {" ", " ", " ", "  ", "\t", "\n", "\n\n"};
  for (int round = 0; round < 400; ++round) {
    std::string text;
    int words = std::uniform_int_distribution<int>(0, 14)(generator);
    for (int i = 0; i < words; ++i) {
      if (i > 0 || generator() % 4 == 0) text += separators[generator() % std::size(separators)];
      std::size_t letters = std::uniform_int_distribution<std::size_t>(1, 12)(generator);
      text += std::string(letters, static_cast<char>('a' + generator() % 3));
    }
    long limit = std::uniform_int_distribution<long>(0, 4)(generator);
    CGFloat width = std::uniform_real_distribution<CGFloat>(5, 120)(generator);
    auto shown = label(text, limit);
    auto laid = layout(shown, width);
    SCOPED_TRACE("text \"" + text + "\", limit " + std::to_string(limit) + ", width " + std::to_string(width));

    Lines lines = textOf(laid);
    std::string all;
    for (auto& line : lines) all += line + "\n";
    EXPECT_EQ(wordsOf(all), wordsOf(text)) << "every word is on a line, in order";
    if (limit > 0) {
      EXPECT_LE(lines.size(), static_cast<std::size_t>(limit));
    }

    // The lines before the last are the label's own; the words the label's own
    // lines leave out are what makes the layout cut.
    Lines own = shown->linesForWidth(width);
    ASSERT_EQ(lines.size(), own.size());
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i], own[i]);
    std::string ownText;
    for (auto& line : own) ownText += line + "\n";
    bool wordsLeftOut = wordsOf(ownText).size() < wordsOf(text).size();
    bool tooWide = limit == 1 && own.size() == 1 && shown->font()->widthOfText(own[0]) > width + 0.5;
    EXPECT_EQ(laid.truncated, wordsLeftOut || tooWide);
    if (!laid.truncated) {
      EXPECT_EQ(lines, own);
    }
  }
}

}  // namespace
