// Application icons: from the bundle's declared files, else a placeholder drawn for
// the identifier; cached, yet never stale.

#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/uikit/UIImage.h"
#include "tests/platform/mobilecoreservices/ApplicationTestSupport.h"

#include <png.h>

#include <cmath>
#include <limits>

namespace kavro::test {
namespace {

using kavro::platform::mobilecoreservices::placeholderColour;
using kavro::platform::mobilecoreservices::RGBColour;

struct Pixels {
  std::uint32_t side = 0;
  std::vector<std::uint8_t> rgba;
  RGBColour at(std::uint32_t x, std::uint32_t y) const {
    const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * side + x) * 4];
    return {pixel[0], pixel[1], pixel[2]};
  }
  std::uint8_t alphaAt(std::uint32_t x, std::uint32_t y) const {
    return rgba[(static_cast<std::size_t>(y) * side + x) * 4 + 3];
  }
};

Pixels decode(const std::shared_ptr<UIImage>& image) {
  Pixels pixels;
  if (!image || !image->pngData()) return pixels;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, image->pngData()->data(), image->pngData()->size())) return pixels;
  png.format = PNG_FORMAT_RGBA;
  pixels.rgba.resize(PNG_IMAGE_SIZE(png));
  pixels.side = png.width;
  if (!png_image_finish_read(&png, nullptr, pixels.rgba.data(), 0, nullptr)) pixels = {};
  return pixels;
}

class IconTest : public ApplicationsTest {
 protected:
  IconTest() { kavro::platform::mobilecoreservices::registerApplicationIcons(); }
  ~IconTest() override { kavro::platform::mobilecoreservices::registerApplicationIcons(); }

  static std::shared_ptr<UIImage> icon(const std::string& identifier, int format = 1, CGFloat scale = 3) {
    return UIImage::_applicationIconImageForBundleIdentifier(identifier, format, scale);
  }
  static std::vector<std::uint8_t> bytesOf(const std::shared_ptr<UIImage>& image) {
    return image && image->pngData() ? *image->pngData() : std::vector<std::uint8_t>{};
  }
};

TEST_F(IconTest, IconsComeFromTheDeclaredFileByTheNameRule) {
  auto app = installSystem("Safari.app", "safari", "Safari", primaryIcons({"AppIcon60x60"}));
  writeFile(app / "AppIcon60x60@2x.png", png(120, "2x"));
  writeFile(app / "AppIcon60x60@3x.png", png(180, "3x"));
  auto image = icon("safari");
  ASSERT_TRUE(image);
  EXPECT_EQ(bytesOf(image), png(180, "3x")) << "@3x is tried before @2x";
  EXPECT_EQ(image->size(), (CGSize{60, 60}));
  EXPECT_DOUBLE_EQ(image->scale(), 3);
  EXPECT_NE(image->description().find("AppIcon60x60@3x.png"), std::string::npos) << image->description();

  auto chrome = installUser("C1", "Chrome.app", "chrome", "Chrome", primaryIcons({"Icon-60.png"}));
  writeFile(chrome / "Icon-60.png", png(180, "as is"));
  writeFile(chrome / "Icon-60.png@3x.png", png(180, "never"));
  EXPECT_EQ(bytesOf(icon("chrome")), png(180, "as is")) << "a name that exists as it is comes first";

  auto old = installSystem("Old.app", "old", "Old", {{"CFBundleIconFile", "Icon"}});
  writeFile(old / "Icon.png", png(57, "old"));
  auto oldIcon = icon("old");
  EXPECT_EQ(bytesOf(oldIcon), png(57, "old"));
  EXPECT_EQ(oldIcon->size(), (CGSize{60, 60})) << "an icon is always drawn at the format's size";
  EXPECT_DOUBLE_EQ(oldIcon->scale(), 57.0 / 60);
}

TEST_F(IconTest, OfSeveralDeclaredIconsTheSmallestLargeEnoughWins) {
  auto app = installSystem("Many.app", "many", "Many", primaryIcons({"Small", "Large", "Medium"}));
  writeFile(app / "Small@2x.png", png(58, "small"));
  writeFile(app / "Medium@2x.png", png(120, "medium"));
  writeFile(app / "Large@3x.png", png(180, "large"));
  EXPECT_EQ(bytesOf(icon("many", 1, 3)), png(180, "large"));
  EXPECT_EQ(bytesOf(icon("many", 1, 2)), png(120, "medium"));
  EXPECT_EQ(bytesOf(icon("many", 0, 2)), png(58, "small")) << "format 0 is 29 points";
  EXPECT_EQ(icon("many", 0, 2)->size(), (CGSize{29, 29}));
}

TEST_F(IconTest, WithoutAUsableIconFileTheIdentifiersPlaceholderIsGiven) {
  installSystem("NoIcon.app", "no.icon", "No icon");
  auto missing = installSystem("Missing.app", "missing.file", "Missing", primaryIcons({"AppIcon60x60"}));
  auto broken = installSystem("Broken.app", "broken.file", "Broken", primaryIcons({"AppIcon60x60"}));
  writeFile(broken / "AppIcon60x60@3x.png", std::string("\x89PNG\r\n\x1a\nnot really"));
  auto escaping = installSystem("Escaping.app", "escaping", "Escaping",
                                primaryIcons({"../Safari.app/AppIcon60x60@3x.png"}));
  auto safari = installSystem("Safari.app", "safari", "Safari");
  writeFile(safari / "AppIcon60x60@3x.png", png(180, "safari"));

  for (const char* identifier : {"no.icon", "missing.file", "broken.file", "escaping", "not.installed"}) {
    auto image = icon(identifier);
    ASSERT_TRUE(image) << identifier;
    EXPECT_EQ(image->size(), (CGSize{60, 60})) << identifier;
    Pixels pixels = decode(image);
    ASSERT_EQ(pixels.side, 180u) << identifier;
    EXPECT_EQ(pixels.at(90, 20), placeholderColour(identifier)) << identifier;
    EXPECT_EQ(pixels.alphaAt(0, 0), 0) << "the corners are cut round";
    EXPECT_EQ(pixels.alphaAt(90, 20), 255);
    EXPECT_NE(pixels.at(90, 45), pixels.at(90, 20)) << "the mark stands out";
  }
  EXPECT_EQ(decode(icon("not.installed", 1, 2)).side, 120u);
}

TEST_F(IconTest, PlaceholdersAreTheSameForAnIdentifierAndDifferAcrossIdentifiers) {
  auto first = bytesOf(icon("com.example.one"));
  auto second = bytesOf(icon("com.example.two"));
  EXPECT_NE(placeholderColour("com.example.one"), placeholderColour("com.example.two"));
  EXPECT_NE(first, second);
  {
    kavro::platform::ProcessScope inSpringboard(springboard());
    EXPECT_EQ(bytesOf(icon("com.example.one")), first) << "the same in another process";
  }
  // Fixed by the identifier alone, not by the run or the machine.
  EXPECT_EQ(placeholderColour("com.example.one"), placeholderColour(std::string("com.example.") + "one"));
}

TEST_F(IconTest, ScalesThatMakeNoSenseFallBackToUsableOnes) {
  EXPECT_EQ(decode(icon("x", 1, std::numeric_limits<double>::quiet_NaN())).side, 180u);
  EXPECT_EQ(decode(icon("x", 1, 0)).side, 180u);
  EXPECT_EQ(decode(icon("x", 1, -2)).side, 180u);
  EXPECT_EQ(decode(icon("x", 1, 1e9)).side, 180u) << "no giant placeholder";
  EXPECT_EQ(decode(icon("x", 1, 0.25)).side, 60u);
  EXPECT_EQ(decode(icon("x", 7, 1)).side, 60u) << "unknown formats are home-screen icons";
}

TEST_F(IconTest, ChangedIconFilesShowAtTheNextCallWhileUnchangedOnesComeFromTheCache) {
  settleFileClock();
  auto app = installSystem("Maps.app", "maps", "Maps", primaryIcons({"AppIcon60x60"}));
  EXPECT_EQ(decode(icon("maps")).at(90, 20), placeholderColour("maps")) << "no file yet";

  writeFile(app / "AppIcon60x60@2x.png", png(120, "first"));
  auto first = icon("maps");
  EXPECT_EQ(bytesOf(first), png(120, "first"));
  EXPECT_EQ(icon("maps"), first) << "unchanged, the cached image is given again";

  writeFile(app / "AppIcon60x60@3x.png", png(180, "better"));
  EXPECT_EQ(bytesOf(icon("maps")), png(180, "better")) << "a file earlier in the name rule appeared";

  replaceFile(app / "AppIcon60x60@3x.png", png(180, "edited"));
  EXPECT_EQ(bytesOf(icon("maps")), png(180, "edited"));

  std::filesystem::remove(app / "AppIcon60x60@3x.png");
  std::filesystem::remove(app / "AppIcon60x60@2x.png");
  EXPECT_EQ(decode(icon("maps")).at(90, 20), placeholderColour("maps"));

  writeFile(app / "AppIcon60x60@3x.png", png(180, "back"));
  installSystem("Maps.app", "maps", "Maps", primaryIcons({"Other"}));
  EXPECT_EQ(decode(icon("maps")).at(90, 20), placeholderColour("maps")) << "the Info.plist now names another file";
}

TEST_F(IconTest, WithoutTheProviderThereAreNoIcons) {
  UIImage::setApplicationIconProvider(nullptr);
  EXPECT_EQ(icon("anything"), nullptr);
}

}  // namespace
}  // namespace kavro::test
