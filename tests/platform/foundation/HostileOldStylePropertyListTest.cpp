// Malformed and hostile old-style text is refused with a reason that names the line
// and what was expected there, never a crash, a hang or memory without bound:
// unterminated strings, comments and data, missing separators, stray characters,
// nesting past the limit, more values than the limit, cut and mutated text, and
// files that are too large or no regular files.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "tests/platform/foundation/PlistValueGenerator.h"
#include "tests/support/DeviceFixture.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
using kavro::platform::foundation::OldStylePropertyListWriter;

// The reason text is refused; empty when it is read.
std::string textRefusal(const std::string& text) {
  std::string error;
  auto value = NSPropertyListSerialization::propertyListWithData({text.begin(), text.end()}, &error);
  if (value) return "";
  EXPECT_FALSE(error.empty()) << text;
  return error.empty() ? "(no reason)" : error;
}

struct HostileText {
  std::string text;
  int line;
  std::string reason;
};

TEST(HostileOldStylePropertyList, EachErrorNamesItsLineAndWhatWasExpected) {
  const HostileText cases[] = {
      {"{\n  a = \"abc;\n}\n", 2, "a string is not closed (no \" ends it)"},
      {"( 'abc\\", 1, "a string is not closed (it ends in a backslash)"},
      {"{\n  a = b; /* never\n  closed = yes;\n}", 2, "a /* comment is not closed"},
      {"{\n  a = b\n  c = d;\n}", 3, "expected ';' after the value of \"a\", found 'c'"},
      {"{\n  a b;\n}", 2, "expected '=' after the key \"a\", found 'b'"},
      {"{ a; }", 1, "expected '=' after the key \"a\", found ';'"},
      {"(\n  a,\n  #\n)", 3, "expected a value or ')', found '#'"},
      {"( a, , b )", 1, "expected a value or ')', found ','"},
      {"( a b )", 1, "expected ',' or ')' after an array element, found 'b'"},
      {"(\n  a,\n  b", 3, "the text ends inside the array that starts on line 1 (expected ')')"},
      {"x = {\n  a = b;\n", 3, "the text ends inside the dictionary that starts on line 1 (expected '}')"},
      {"{ (a) = b; }", 1, "expected a key (a string) or '}', found '('"},
      {"{ a = b; }\n\nx", 3, "expected the end of the text after the property list, found 'x'"},
      {"}", 1, "expected a value (a string, '{', '(' or '<'), found '}'"},
      {"a = b;\r\nc = d", 2, "expected ';' after the value of \"c\", found the end of the text"},
      {"a = b;\rc = d;\r}", 3, "expected a key (a string), found '}'"},
      {"(\n<0fbd", 2, "data is not closed (no '>' ends it)"},
      {"(\n\n<0fb>)", 3, "data holds an odd number of hexadecimal digits"},
      {"<0f\nxz>", 2, "expected a hexadecimal digit or '>' in data, found 'x'"},
      {"\"\\400\"", 1, "an octal escape is larger than \\377"},
      {"(\n\"\\Uxyz\")", 2, "\\U is not followed by hexadecimal digits"},
      {"( caf\xFF )", 1, "found the byte 0xFF, which is not UTF-8"},
      {std::string("( a,\n\0 )", 8), 2, "found U+0000"},
      {"{ \"a very long key that goes on and on and on\" = b }", 1,
       "expected ';' after the value of \"a very long key that goes on and on a...\", found '}'"},
  };
  for (const auto& [text, line, reason] : cases) {
    const std::string refusal = textRefusal(text);
    EXPECT_EQ(refusal.rfind("not a valid old-style property list: line " + std::to_string(line) + ": ", 0), 0u)
        << text << "\n" << refusal;
    EXPECT_NE(refusal.find(reason), std::string::npos) << text << "\n" << refusal;
  }
}

// `depth` levels of containers, `open` and `close` around the innermost `middle`.
std::string nested(int depth, const std::string& open, const std::string& close, const std::string& middle = "") {
  std::string text;
  for (int i = 0; i < depth; ++i) text += open;
  text += middle;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

TEST(HostileOldStylePropertyList, NestingPastTheLimitIsRefusedWithoutRecursion) {
  const int limit = NSPropertyListSerialization::kMaximumDepth;
  EXPECT_EQ(textRefusal(nested(limit, "(", ")")), "");
  EXPECT_EQ(textRefusal(nested(limit - 1, "{a=", ";}", "{}")), "");
  EXPECT_NE(textRefusal(nested(limit, "{a=", ";}", "{}")).find("deeper"), std::string::npos);
  EXPECT_NE(textRefusal(nested(limit + 1, "(", ")")).find("nested deeper than 512 levels"), std::string::npos);
  // The strings file's own dictionary is a level too.
  EXPECT_EQ(textRefusal("a = " + nested(limit - 1, "(", ")") + ";"), "");
  EXPECT_NE(textRefusal("a = " + nested(limit, "(", ")") + ";").find("deeper"), std::string::npos);
  // Far deeper than any recursion would survive, and never closed: refused at the limit.
  for (int depth : {10'000, 300'000}) {
    EXPECT_NE(textRefusal(std::string(static_cast<std::size_t>(depth), '(')).find("deeper"), std::string::npos);
    EXPECT_NE(textRefusal(nested(depth, "{k=(", ");}", "x")).find("deeper"), std::string::npos);
  }
}

TEST(HostileOldStylePropertyList, MoreValuesThanTheLimitAreRefused) {
  const std::size_t limit = NSPropertyListSerialization::kMaximumObjectCount;
  std::string text = "(";
  for (std::size_t i = 0; i + 1 < limit; ++i) text += "(),";
  EXPECT_EQ(textRefusal(text + ")"), "");
  EXPECT_NE(textRefusal(text + "x)").find("more than 1000000 values"), std::string::npos);
}

TEST(HostileOldStylePropertyList, CutAndMutatedTextNeverCrashes) {
  kavro::test::PlistValueGenerator generator(20261208, {.maximumDepth = 3});
  std::mt19937 random(20261208);
  const std::string whole = OldStylePropertyListWriter::write(PlistValue(generator.dictionary())) + " /* c */ // d";
  const std::string accepted = "not a valid old-style property list: line ";
  // Every prefix is read or refused with a line, except where a cut leaves XML.
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const std::string refusal = textRefusal(whole.substr(0, length));
    if (length > 0 && !refusal.empty()) {
      EXPECT_EQ(refusal.rfind(accepted, 0), 0u) << refusal;
    }
  }
  const char interesting[] = "{}()<>;=,\"'\\/* \n\r\x00\xC3\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string mutated = whole;
    for (unsigned change = random() % 4 + 1; change > 0; --change) {
      const std::size_t at = random() % mutated.size();
      const char c = random() % 2 ? interesting[random() % (sizeof interesting - 1)] : static_cast<char>(random());
      if (random() % 3 == 0)
        mutated.insert(at, 1, c);
      else
        mutated[at] = c;
    }
    textRefusal(mutated);
  }
}

TEST(HostileOldStylePropertyList, FilesGoThroughTheSameChecks) {
  kavro::test::TemporaryFolder folder;
  std::string error;
  // Past 64 MiB the file is not read, whatever it holds.
  const fs::path large = folder.path() / "large.strings";
  {
    std::ofstream out(large, std::ios::binary);
    out << "a = \"";
    out << std::string(NSPropertyListSerialization::kMaximumFileSize, 'x');
    out << "\";";
  }
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithContentsOfFile(large, &error));
  EXPECT_NE(error.find("larger than 64 MiB"), std::string::npos) << error;
  fs::resize_file(large, NSPropertyListSerialization::kMaximumFileSize - 8);
  std::ofstream(large, std::ios::binary | std::ios::in | std::ios::ate) << "\";";
  EXPECT_TRUE(NSPropertyListSerialization::propertyListWithContentsOfFile(large, &error)) << error;
  // A FIFO or a folder is no file to read.
  const fs::path fifo = folder.path() / "fifo.plist";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithContentsOfFile(fifo, &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(NSPropertyListSerialization::propertyListWithContentsOfFile(folder.path(), &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

}  // namespace
