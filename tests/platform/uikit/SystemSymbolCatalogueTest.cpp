// The system symbol catalogue: artwork for every symbol name the code asks for
// (found in the sources of the platform, the bundle and the simulator and in the
// bundle's Root.plist, not kept by hand), and artwork that parses, keeps to its box
// and fills alike under both fill rules.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/uikit/SymbolPathFlattening.h"
#include "platform/uikit/SystemSymbolCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace kavro::platform::uikit {
namespace {

namespace fs = std::filesystem;

// Where a name was found: "file:line".
using SymbolUses = std::map<std::string, std::vector<std::string>>;

// The string literals of a line of code, its comments left out ("//" to the end of
// the line, "/* */" carried across lines by `inComment`). Single quotes open a
// string in JavaScript; in C++ they hold a character (or separate digits).
std::vector<std::string> stringLiterals(const std::string& line, bool javascript, bool& inComment) {
  std::vector<std::string> literals;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (inComment) {
      if (line.compare(i, 2, "*/") == 0) inComment = false, ++i;
      continue;
    }
    if (line.compare(i, 2, "//") == 0) break;
    if (line.compare(i, 2, "/*") == 0) {
      inComment = true;
      ++i;
      continue;
    }
    char quote = line[i];
    if (quote != '"' && quote != '\'') continue;
    if (quote == '\'' && !javascript && i > 0 && std::isalnum(static_cast<unsigned char>(line[i - 1]))) continue;
    std::string text;
    for (++i; i < line.size() && line[i] != quote; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      text += line[i];
    }
    if (quote == '"' || javascript) literals.push_back(text);
  }
  return literals;
}

// Whether a literal names a symbol: lower-case words and digits joined by dots,
// and either asked for as one on its line (the argument of systemImageNamed, of a
// symbol bar button or of the page's symbolPath, or after "symbol… =") or dotted
// (tables of symbols) without being an application identifier or a file name.
bool namesSymbol(const std::string& literal, const std::string& line) {
  static const std::regex shape("[a-z][a-z0-9]*(\\.[a-z0-9]+)*");
  static const std::regex notSymbol("com\\..*|.*\\.(png|plist|css|js|html|json|app|bundle|ksim)");
  if (!std::regex_match(literal, shape)) return false;
  if (literal.find('.') != std::string::npos) return !std::regex_match(literal, notSymbol);
  static const std::regex request(
      "(systemImageNamed|symbolBarButtonItem|symbolPath)\\(\\s*[\"']([a-z0-9.]+)[\"']|[Ss]ymbol\\w*\\s*=[^=].*");
  for (std::sregex_iterator it(line.begin(), line.end(), request), end; it != end; ++it) {
    if ((*it)[2].matched ? (*it)[2].str() == literal
                         : it->str().find("\"" + literal + "\"") != std::string::npos ||
                               it->str().find("'" + literal + "'") != std::string::npos)
      return true;
  }
  return false;
}

void collectFromSource(const fs::path& file, const fs::path& root, SymbolUses& uses) {
  std::ifstream in(file);
  bool javascript = file.extension() == ".js" || file.extension() == ".html";
  bool inComment = false;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number)
    for (const std::string& literal : stringLiterals(line, javascript, inComment))
      if (namesSymbol(literal, line))
        uses[literal].push_back(fs::relative(file, root).string() + ":" + std::to_string(number));
}

// Every "iconImageSystem" → "name" of a specifier list, at any depth.
void collectFromPropertyList(const PlistValue& value, const std::string& where, SymbolUses& uses) {
  if (auto* array = value.asArray())
    for (const PlistValue& item : *array) collectFromPropertyList(item, where, uses);
  auto* dictionary = value.asDictionary();
  if (!dictionary) return;
  for (const auto& [key, item] : *dictionary) {
    if (key == "iconImageSystem")
      if (auto* icon = item.asDictionary(); icon && icon->count("name") && icon->at("name").asString())
        uses[*icon->at("name").asString()].push_back(where);
    collectFromPropertyList(item, where, uses);
  }
}

SymbolUses symbolNamesTheCodeAsksFor() {
  fs::path root(KAVRO_SOURCE_DIR);
  SymbolUses uses;
  for (const char* folder : {"platform", "store", "style", "switch", "cells", "selector", "rootpage", "sim"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
      const fs::path& file = entry.path();
      std::string extension = file.extension().string();
      bool source = extension == ".cpp" || extension == ".h" || extension == ".js" || extension == ".html";
      // The catalogue itself, and the sample device's data, ask for nothing.
      if (!entry.is_regular_file() || !source || file.filename() == "SystemSymbolCatalogue.cpp") continue;
      if (fs::relative(file, root).string().starts_with("sim/sample-device")) continue;
      collectFromSource(file, root, uses);
    }
  }
  auto specifiers = NSPropertyListSerialization::propertyListWithContentsOfFile(root / "resources" / "Root.plist");
  EXPECT_TRUE(specifiers) << "resources/Root.plist cannot be read";
  if (specifiers) collectFromPropertyList(*specifiers, "resources/Root.plist", uses);
  return uses;
}

bool foundIn(const SymbolUses& uses, const std::string& prefix) {
  for (const auto& [name, places] : uses)
    for (const std::string& place : places)
      if (place.starts_with(prefix)) return true;
  return false;
}

TEST(SystemSymbolCatalogueTest, HasArtworkForEverySymbolTheCodeAsksFor) {
  SymbolUses uses = symbolNamesTheCodeAsksFor();
  // The search reaches every kind of source that names symbols.
  for (const char* kind : {"resources/Root.plist", "rootpage/", "selector/", "platform/", "sim/springboard/"})
    EXPECT_TRUE(foundIn(uses, kind)) << "no symbol name found in " << kind << ": is the search still right?";
  for (const auto& [name, places] : uses) {
    const SymbolArtwork* artwork = systemSymbolArtwork(name);
    std::string where;
    for (const std::string& place : places) where += " " + place;
    EXPECT_NE(artwork, nullptr) << "\"" << name << "\" has no artwork; asked for at" << where;
    if (artwork) {
      EXPECT_EQ(artwork->name, name);
    }
  }
}

TEST(SystemSymbolCatalogueTest, NamesAreListedOnceAndMatchedExactly) {
  std::vector<std::string> names = systemSymbolNames();
  std::set<std::string> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), names.size()) << "a name is listed twice";
  for (const std::string& name : names) EXPECT_NE(systemSymbolArtwork(name), nullptr) << name;
  EXPECT_EQ(systemSymbolArtwork("no.such.symbol"), nullptr);
  EXPECT_EQ(systemSymbolArtwork(""), nullptr);
  EXPECT_EQ(systemSymbolArtwork("Trash.fill"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(systemSymbolArtwork("trash.fill "), nullptr);
}

// Winding number of the contours around (x, y), and how many edges a ray to the
// right crosses: the non-zero and the even-odd rule side by side.
std::pair<int, int> windingAndCrossings(const std::vector<SymbolContour>& contours, double x,
                                        double y) {
  int winding = 0, crossings = 0;
  for (const SymbolContour& contour : contours) {
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const SymbolPoint& a = contour[i];
      const SymbolPoint& b = contour[(i + 1) % contour.size()];
      if ((a.y <= y) == (b.y <= y)) continue;
      double crossingX = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (crossingX <= x) continue;
      ++crossings;
      winding += b.y > a.y ? 1 : -1;
    }
  }
  return {winding, crossings};
}

// The drawing keeps to the symbol's own box inside the centred square, and the two
// fill rules paint the same pixels, so any renderer draws the same picture.
TEST(SystemSymbolCatalogueTest, ArtworkParsesStaysInItsBoxAndFillsAlikeUnderBothRules) {
  for (const std::string& name : systemSymbolNames()) {
    SCOPED_TRACE(name);
    const SymbolArtwork& artwork = *systemSymbolArtwork(name);
    EXPECT_GT(artwork.width, 5);
    EXPECT_LT(artwork.width, 30);
    EXPECT_GT(artwork.height, 5);
    EXPECT_LT(artwork.height, 30);

    std::string error;
    auto contours = flattenSymbolPath(artwork.svgPath, 0.05, &error);
    ASSERT_TRUE(contours) << error;
    ASSERT_FALSE(contours->empty());

    double side = std::max(artwork.width, artwork.height);
    double halfWidth = 50 * artwork.width / side, halfHeight = 50 * artwork.height / side;
    for (const SymbolContour& contour : *contours) {
      for (const SymbolPoint& point : contour) {
        ASSERT_GE(point.x, 50 - halfWidth - 0.5);
        ASSERT_LE(point.x, 50 + halfWidth + 0.5);
        ASSERT_GE(point.y, 50 - halfHeight - 0.5);
        ASSERT_LE(point.y, 50 + halfHeight + 0.5);
      }
    }

    int inked = 0, disagreements = 0;
    for (int row = 0; row < 100; ++row) {
      for (int column = 0; column < 100; ++column) {
        auto [winding, crossings] = windingAndCrossings(*contours, column + 0.5, row + 0.5);
        bool nonZero = winding != 0, evenOdd = crossings % 2 == 1;
        if (nonZero != evenOdd || std::abs(winding) > 1) ++disagreements;
        if (evenOdd) ++inked;
      }
    }
    EXPECT_EQ(disagreements, 0);
    EXPECT_GT(inked, 400) << "the symbol draws next to nothing";
  }
}

}  // namespace
}  // namespace kavro::platform::uikit
