// The old-style (OpenStep) text form as NSPropertyListSerialization reads it: the
// grammar, the escapes, the strings-file form, byte-order marks and UTF-16, how the
// format is told from the bytes, the XML leniency real specifier lists need, and a
// hand-written domain file read through NSUserDefaults and written back in binary.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using Dictionary = PlistValue::Dictionary;
using Array = PlistValue::Array;

std::vector<std::uint8_t> textBytes(std::string_view text) { return {text.begin(), text.end()}; }

// The value of `text`, which must be read, and the format it was read as.
PlistValue readOldStyle(std::string_view text, NSPropertyListFormat expected = NSPropertyListFormat::openStep) {
  std::string error;
  NSPropertyListFormat format = NSPropertyListFormat::binary;
  auto value = NSPropertyListSerialization::propertyListWithData(textBytes(text), &error, &format);
  EXPECT_TRUE(value) << text << "\n" << error;
  EXPECT_EQ(format, expected) << text;
  return value ? *value : PlistValue();
}

NSData dataOf(std::initializer_list<std::uint8_t> bytes) { return NSData{bytes}; }

TEST(OldStylePropertyList, ReadsDictionariesArraysStringsAndData) {
  EXPECT_EQ(readOldStyle("{ enabled = YES; \"display name\" = 'Kavro'; list = ( a, \"b c\", ); blob = <0fbd 7777>; }"),
            PlistValue(Dictionary{{"enabled", "YES"},
                                  {"display name", "Kavro"},
                                  {"list", Array{"a", "b c"}},
                                  {"blob", dataOf({0x0f, 0xbd, 0x77, 0x77})}}));
  // Every character a bare word may hold; numbers are words like any other.
  EXPECT_EQ(readOldStyle("(a_$+/:.-Z09, 12, -3.5, 0x1F)"), PlistValue(Array{"a_$+/:.-Z09", "12", "-3.5", "0x1F"}));
  EXPECT_EQ(readOldStyle("{}"), PlistValue(Dictionary{}));
  EXPECT_EQ(readOldStyle("()"), PlistValue(Array{}));
  EXPECT_EQ(readOldStyle("( () , {}, <>, \"\" )"), PlistValue(Array{Array{}, Dictionary{}, NSData{}, ""}));
  EXPECT_EQ(readOldStyle("<0FBD\n\t77 7 7>"), PlistValue(dataOf({0x0f, 0xbd, 0x77, 0x77})));
  EXPECT_EQ(readOldStyle("  word  "), PlistValue("word"));
  EXPECT_EQ(readOldStyle("{ \"\" = \"\"; }"), PlistValue(Dictionary{{"", ""}}));
  // A key given twice keeps its last value, as in the other formats.
  EXPECT_EQ(readOldStyle("{ a = 1; b = 2; a = (3); }"), PlistValue(Dictionary{{"a", Array{"3"}}, {"b", "2"}}));
  // Raw line breaks and tabs inside quotes are kept.
  EXPECT_EQ(readOldStyle("\"two\nlines\tand\r\nmore\""), PlistValue("two\nlines\tand\r\nmore"));
}

TEST(OldStylePropertyList, ReadsEveryEscape) {
  const std::pair<std::string_view, std::string> cases[] = {
      {R"("\a\b\f\n\r\t\v")", "\a\b\f\n\r\t\v"},
      {R"("\"\'\\")", "\"'\\"},
      {R"("\101\0\7\12x\377")", std::string("A\0\a\nx\xC3\xBF", 7)},
      {R"("\U00e9\U20AC\Ua")", "\xC3\xA9\xE2\x82\xAC\n"},
      {R"("\U0001F600")", std::string("\x01", 1) + "F600"},  // four digits at most
      {R"("\Ud83d\Ude00")", "\xF0\x9F\x98\x80"},           // a surrogate pair is one character
      {R"("\Ud83dx")", "\xED\xA0\xBDx"},                   // a lone surrogate keeps its three bytes
      {R"("\Ude00\Ud83d")", "\xED\xB8\x80\xED\xA0\xBD"},   // a low one first pairs with nothing
      {R"("\q\u00e9\/")", "qu00e9/"},                      // any other character stands for itself
      {R"('single "quotes"')", "single \"quotes\""},
      {"\"caf\xC3\xA9 \xF0\x9F\x98\x80\"", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(readOldStyle(text), PlistValue(expected)) << text;
}

TEST(OldStylePropertyList, ReadsTheStringsFileForm) {
  // What .strings files and brace-less specifier lists hold: pairs at the top level,
  // with values of any kind.
  EXPECT_EQ(readOldStyle("/* Title */\n\"TITLE\" = \"Kavro\";\nitems = ( { cell = PSSwitchCell; } );\n"),
            PlistValue(Dictionary{{"TITLE", "Kavro"}, {"items", Array{Dictionary{{"cell", "PSSwitchCell"}}}}}));
  // A bare key stands for itself.
  EXPECT_EQ(readOldStyle("\"Done\";\nCancel = Abbrechen;"), PlistValue(Dictionary{{"Done", "Done"}, {"Cancel", "Abbrechen"}}));
  // Nothing but white space and comments is an empty strings file.
  EXPECT_EQ(readOldStyle(" // nothing\n/* at all */ "), PlistValue(Dictionary{}));
  std::string error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData({}, &error)) << "no bytes at all are no file";
}

TEST(OldStylePropertyList, CommentsStandWhereWhiteSpaceMay) {
  EXPECT_EQ(readOldStyle("/*a*/{//b\n/*c*/\"k\"/*d*/=/*e*/(/*f*/v /*g*/,/*h*/)/*i*/;/*j*/}//k"),
            PlistValue(Dictionary{{"k", Array{"v"}}}));
  EXPECT_EQ(readOldStyle("( \"// not a comment\", \"/* nor this */\" )"),
            PlistValue(Array{"// not a comment", "/* nor this */"}));
  // Inside a bare word a slash is part of it, so a comment after one needs a space.
  EXPECT_EQ(readOldStyle("( /var//mobile, a/b//c )"), PlistValue(Array{"/var//mobile", "a/b//c"}));
  std::string error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes("( a/* x */ )"), &error));
  EXPECT_NE(error.find("found '*'"), std::string::npos) << error;
  EXPECT_EQ(readOldStyle("( a //x, b\n, c )"), PlistValue(Array{"a", "c"}));
  EXPECT_EQ(readOldStyle("a = b; // ends at a carriage return\rc = d;"), PlistValue(Dictionary{{"a", "b"}, {"c", "d"}}));
}

TEST(OldStylePropertyList, ByteOrderMarksAndUtf16) {
  EXPECT_EQ(readOldStyle("\xEF\xBB\xBF{ a = \"\xC3\xA9\"; }"), PlistValue(Dictionary{{"a", "\xC3\xA9"}}));
  // "( é, 😀 )" in UTF-16, each way round.
  const std::u16string text = u"( \"\u00e9\", \"\U0001F600\" )";
  for (bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    EXPECT_EQ(readOldStyle(bytes), PlistValue(Array{"\xC3\xA9", "\xF0\x9F\x98\x80"})) << bigEndian;
    // XML in UTF-16 is read too.
    std::string xml = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : std::string_view("<plist><string>x</string></plist>"))
      xml += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    EXPECT_EQ(readOldStyle(xml, NSPropertyListFormat::xml), PlistValue("x"));
    // Half a character at the end is refused.
    std::string error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes(bytes + "x"), &error));
    EXPECT_NE(error.find("odd number of bytes"), std::string::npos) << error;
  }
  // Without a mark the text is UTF-8; UTF-16 is refused with a reason that says so.
  std::string error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes(std::string("(\0a\0)\0", 6)), &error));
  EXPECT_NE(error.find("UTF-16 without a byte-order mark"), std::string::npos) << error;
}

TEST(OldStylePropertyList, TextThatIsNotUtf8IsKeptInsideQuotesAndRefusedOutside) {
  // Byte for byte, as the XML reader keeps such text; the store repairs it on writing.
  EXPECT_EQ(readOldStyle("( \"caf\xE9\" )"), PlistValue(Array{"caf\xE9"}));
  std::string error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes("( caf\xE9 )"), &error));
  EXPECT_NE(error.find("the byte 0xE9, which is not UTF-8"), std::string::npos) << error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes("( caf\xC3\xA9 )"), &error));
  EXPECT_NE(error.find("(U+00E9)"), std::string::npos) << error;
}

TEST(OldStylePropertyList, TheFormatIsToldFromTheBytes) {
  const PlistValue value(Dictionary{{"a", "b"}});
  NSPropertyListFormat format = NSPropertyListFormat::openStep;
  for (auto written : {NSPropertyListFormat::binary, NSPropertyListFormat::xml}) {
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(value, written);
    EXPECT_EQ(*NSPropertyListSerialization::propertyListWithData(*bytes, nullptr, &format), value);
    EXPECT_EQ(format, written);
  }
  const std::string_view xmlOpenings[] = {
      "<?xml version=\"1.0\"?><plist><string>x</string></plist>",
      " \n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"x\"><plist><string>x</string></plist>",
      "<!-- made by hand --><plist><string>x</string></plist>",
      "\t<plist version=\"1.0\"><string>x</string></plist>",
      "<string>x</string>",
      "\xEF\xBB\xBF<plist><string>x</string></plist>",
  };
  for (std::string_view text : xmlOpenings) EXPECT_EQ(readOldStyle(text, NSPropertyListFormat::xml), PlistValue("x"));
  EXPECT_EQ(readOldStyle("<dict><key>a</key><string>b</string></dict>", NSPropertyListFormat::xml), value);
  // Data whose digits spell no element stays old-style text.
  EXPECT_EQ(readOldStyle("<dead beef>"), PlistValue(dataOf({0xde, 0xad, 0xbe, 0xef})));
  // The form is read only, as on the platform.
  std::string error;
  EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(value, NSPropertyListFormat::openStep, &error));
  EXPECT_NE(error.find("read only"), std::string::npos) << error;
}

TEST(OldStylePropertyList, XmlAsRealSpecifierListsWriteIt) {
  // Unquoted attributes in the declaration, and a <key> where a value belongs.
  EXPECT_EQ(readOldStyle("<?xml version=1.0 encoding=UTF-8?>\n<plist version=1.0><dict><key>label</key><key>Kavro</key>"
                         "<key>items</key><array><key>one</key><string>two</string></array></dict></plist>",
                         NSPropertyListFormat::xml),
            PlistValue(Dictionary{{"label", "Kavro"}, {"items", Array{"one", "two"}}}));
  // The other checks hold.
  for (std::string_view broken : {"<?xml version=1.0?><plist><dict><key>a</key><string>b</dict></plist>",
                                  "<?xml version=1.0?><plist><array><string>x</string></plist>",
                                  "<?xml version=1.0?><plist><string>a\x00</string></plist>",
                                  "<?xml version=1.0?><plist><array><!-- </array></plist>"}) {
    std::string error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(textBytes(broken), &error)) << broken;
    EXPECT_NE(error.find("XML"), std::string::npos) << error;
  }
}

TEST(OldStylePropertyList, FilesReportTheirFormat) {
  kavro::test::TemporaryFolder folder;
  const fs::path path = folder.path() / "Root.plist";
  kavro::test::writeFileBytes(path, textBytes("title = Kavro;\nitems = ();\n"));
  NSPropertyListFormat format = NSPropertyListFormat::binary;
  std::string error;
  auto value = NSPropertyListSerialization::propertyListWithContentsOfFile(path, &error, &format);
  ASSERT_TRUE(value) << error;
  EXPECT_EQ(*value, PlistValue(Dictionary{{"title", "Kavro"}, {"items", Array{}}}));
  EXPECT_EQ(format, NSPropertyListFormat::openStep);
}

TEST(OldStylePropertyList, AHandWrittenDomainFileIsReadAndWrittenBackInBinary) {
  kavro::test::TemporaryFolder folder;
  const fs::path preferences = folder.path() / "Preferences";
  fs::create_directories(preferences);
  const fs::path file = preferences / "com.example.text.plist";
  kavro::test::writeFileBytes(file, textBytes("{\n  enabled = YES; // typed by hand\n  blacklist = ( com.apple.mobilesafari, "
                                              "\"com.apple.Music\" );\n  blob = <00ff>;\n  \"caf\\U00e9\" = {};\n}\n"));
  auto defaults = NSUserDefaults::defaultsWithDirectory(preferences);
  const Dictionary handWritten{{"enabled", "YES"},
                               {"blacklist", Array{"com.apple.mobilesafari", "com.apple.Music"}},
                               {"blob", dataOf({0x00, 0xff})},
                               {"caf\xC3\xA9", Dictionary{}}};
  EXPECT_EQ(defaults->persistentDomainForName("com.example.text"), handWritten);
  EXPECT_TRUE(defaults->objectForKey("enabled", "com.example.text").boolValue());
  ASSERT_TRUE(defaults->setObject(3, "count", "com.example.text"));
  // The store writes the domain in binary, as every domain, with every value kept.
  const auto written = kavro::test::readFileBytes(file);
  ASSERT_GE(written.size(), 8u);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 8), "bplist00");
  Dictionary expected = handWritten;
  expected["count"] = 3;
  EXPECT_EQ(*NSPropertyListSerialization::propertyListWithData(written), PlistValue(expected));
  EXPECT_TRUE(defaults->lastError().empty()) << defaults->lastError();
}

}  // namespace
