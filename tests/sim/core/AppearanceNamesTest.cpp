// The appearance's names: each appearance's name reads back as it, and no other
// text (another case, spaces, a prefix of a name) reads as an appearance.

#include "sim/core/AppearanceNames.h"

#include <gtest/gtest.h>

#include <random>

namespace kavro::sim {
namespace {

using kavro::platform::Appearance;

TEST(AppearanceNamesTest, EachAppearanceReadsBackFromItsName) {
  for (Appearance appearance : {Appearance::light, Appearance::dark})
    EXPECT_EQ(appearanceNamed(appearanceName(appearance)), appearance);
  EXPECT_STREQ(appearanceName(Appearance::dark), "dark");
  EXPECT_EQ(interfaceStyle(Appearance::dark), UIUserInterfaceStyleDark);
  EXPECT_EQ(interfaceStyle(Appearance::light), UIUserInterfaceStyleLight);
}

TEST(AppearanceNamesTest, NoOtherTextNamesAnAppearance) {
  for (const char* text : {"", "Dark", "LIGHT", " dark", "light ", "dar", "darker", "light|dark"})
    EXPECT_FALSE(appearanceNamed(text)) << text;
  std::mt19937 random(15);
  const std::string alphabet = "lightdarkLD ";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (std::size_t i = random() % 7; i > 0; --i) text += alphabet[random() % alphabet.size()];
    EXPECT_EQ(appearanceNamed(text).has_value(), text == "light" || text == "dark") << text;
  }
}

}  // namespace
}  // namespace kavro::sim
