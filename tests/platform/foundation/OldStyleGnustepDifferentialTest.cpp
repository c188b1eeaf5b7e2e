// Old-style text against an independent reader, GNUstep's property-list tools
// (Debian's gnustep-base-runtime): generated documents, with every kind of value,
// escape, comment and spacing where GNUstep agrees with the platform, are read by
// both and the values compared. GNUstep's `plser` reads a file and writes what it
// read in GNUstep's serialized form, decoded here. (Its `pl` reads standard input,
// and reads past the end of it for some lengths: `( aaaaaaa )` is refused.)
// Skipped with a message when the tools are missing.
//
// Left out, where GNUstep differs from the platform (docs/decisions.md): single-
// quoted strings, lone surrogates, bare keys in strings files, values other than
// strings in strings files, and \U with fewer than four digits. `plser` takes no
// strings files, so GNUstep reads the entries of a strings file in braces, and
// this reader without.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/Utf8Text.h"
#include "tests/support/DeviceFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

// Documents in the old-style form, written in a random style of their own (not by
// the project's writer), so that both readers meet every form of each value.
class OldStyleDocumentGenerator {
 public:
  explicit OldStyleDocumentGenerator(std::uint32_t seed) : random_(seed) {}

  std::string value(int depth) {
    switch (depth < 4 ? pick(6) : pick(3)) {
      case 0:
      case 1: return string();
      case 2: return data();
      case 3:
      case 4: {
        std::string text = "(" + space();
        const int count = pick(5);
        for (int i = 0; i < count; ++i) {
          text += value(depth + 1) + space();
          if (i + 1 < count || pick(2)) text += "," + space();
        }
        return text + ")";
      }
      default: return "{" + space() + entries(depth, false) + "}";
    }
  }

  // `key = value;` pairs; in a strings file GNUstep takes string values only.
  std::string entries(int depth, bool stringsFile) {
    std::string text;
    std::vector<std::string> keys;
    for (int n = pick(5); n > 0; --n) {
      // A key given again now and then: the last value counts, in both readers.
      keys.push_back(!keys.empty() && pick(6) == 0 ? keys[static_cast<std::size_t>(pick(static_cast<int>(keys.size())))]
                                                   : string());
      text += keys.back() + space() + "=" + space() + (stringsFile ? string() : value(depth + 1)) + space() + ";" +
              space();
    }
    return text;
  }

  std::string string() {
    if (pick(3) == 0) {
      static constexpr std::string_view kBare = "abcxyzABCXYZ0123456789_$+/:.-";
      std::string word(1, "abcXYZ09_$"[pick(10)]);
      for (int n = pick(8); n > 0; --n) word += kBare[static_cast<std::size_t>(pick(static_cast<int>(kBare.size())))];
      return word;
    }
    std::string text = "\"";
    for (int n = pick(12); n > 0; --n) text += character();
    return text + "\"";
  }

  std::string data() {
    std::string text = "<";
    static constexpr char kDigits[] = "0123456789abcdefABCDEF";
    for (int n = pick(9); n > 0; --n) {
      text += kDigits[pick(22)];
      text += kDigits[pick(22)];
      if (pick(3) == 0) text += " \n\t"[pick(3)];
    }
    return text + ">";
  }

  std::string space() {
    static const char* const kSpaces[] = {"", "", " ", "\n  ", "\t", " /* a comment */ ", "\n/* two\nlines */\n",
                                          " // to the end\n"};
    return kSpaces[pick(8)];
  }

 private:
  // One character of a quoted string, raw or escaped.
  std::string character() {
    char escape[16];
    switch (pick(10)) {
      case 0: return std::string("\\") + "ntr\"\\abfv"[pick(9)];
      case 1: std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned>(pick(256))); return escape;
      case 2: {
        unsigned unit = 0;
        while ((unit = static_cast<unsigned>(pick(0x10000))) >= 0xD800 && unit < 0xE000) {}
        std::snprintf(escape, sizeof escape, pick(2) ? "\\U%04x" : "\\U%04X", unit);
        return escape;
      }
      case 3: return pick(2) ? "\\Ud83d\\Ude00" : "\\UDBFF\\UDFFF";
      case 4: {
        static const char* const kRaw[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\n", "\t", "'", "//", "/*"};
        return kRaw[pick(8)];
      }
      default: {
        char c = 0;
        while ((c = static_cast<char>(0x20 + pick(0x5F))) == '"' || c == '\\') {}
        return std::string(1, c);
      }
    }
  }

  int pick(int choices) { return static_cast<int>(random_() % static_cast<unsigned>(choices)); }

  std::mt19937 random_;
};

// GNUstep's serialized form: a byte, then each value as a type byte, a 4-byte
// big-endian count and its content: 1 an ASCII string with a NUL after it (counted),
// 2 UTF-16 units in the machine's order, 3 and 4 arrays, 5 and 6 dictionaries (key,
// value, ...), 7 data.
class GnustepSerializedReader {
 public:
  explicit GnustepSerializedReader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::optional<PlistValue> read() {
    at_ = 1;
    auto value = next(0);
    if (at_ != bytes_.size()) return std::nullopt;
    return value;
  }

 private:
  std::optional<PlistValue> next(int depth) {
    if (depth > 600 || at_ + 5 > bytes_.size()) return std::nullopt;
    const std::uint8_t type = bytes_[at_];
    const std::size_t count = (std::size_t(bytes_[at_ + 1]) << 24) | (std::size_t(bytes_[at_ + 2]) << 16) |
                              (std::size_t(bytes_[at_ + 3]) << 8) | bytes_[at_ + 4];
    at_ += 5;
    auto content = [&](std::size_t length) -> std::optional<std::string> {
      if (length > bytes_.size() - at_) return std::nullopt;
      std::string text(bytes_.begin() + static_cast<long>(at_), bytes_.begin() + static_cast<long>(at_ + length));
      at_ += length;
      return text;
    };
    switch (type) {
      case 1: {
        auto text = content(count);
        if (!text || text->empty()) return std::nullopt;
        text->pop_back();
        return PlistValue(*text);
      }
      case 2: {
        auto units = content(count * 2);
        if (!units) return std::nullopt;
        return PlistValue(kavro::platform::foundation::utf8FromUtf16(*units, false));
      }
      case 7: {
        auto bytes = content(count);
        if (!bytes) return std::nullopt;
        return PlistValue(NSData{{bytes->begin(), bytes->end()}});
      }
      case 3:
      case 4: {
        PlistValue::Array array;
        for (std::size_t i = 0; i < count; ++i) {
          auto element = next(depth + 1);
          if (!element) return std::nullopt;
          array.push_back(std::move(*element));
        }
        return PlistValue(std::move(array));
      }
      case 5:
      case 6: {
        PlistValue::Dictionary dictionary;
        for (std::size_t i = 0; i < count; ++i) {
          auto key = next(depth + 1);
          auto element = key && key->isString() ? next(depth + 1) : std::nullopt;
          if (!element) return std::nullopt;
          dictionary.insert_or_assign(*key->asString(), std::move(*element));
        }
        return PlistValue(std::move(dictionary));
      }
      default: return std::nullopt;
    }
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

class OldStyleGnustepDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v plser >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "GNUstep's property-list tools (plser: Debian's gnustep-base-runtime, which "
                      "scripts/setup.sh installs) are missing; the differential test against them is skipped";
  }

  // What GNUstep reads from `text`; nothing when it refuses it.
  std::optional<PlistValue> gnustepValue(const std::string& text) {
    const fs::path input = folder_.path() / "input.txt", output = folder_.path() / "output.bin";
    kavro::test::writeFileBytes(input, {text.begin(), text.end()});
    fs::remove(output);
    // GNUstep keeps its defaults under HOME: a home of the test's own.
    const std::string command = "HOME='" + folder_.path().string() + "' plser '" + input.string() + "' > '" +
                                output.string() + "' 2> /dev/null";
    // plser says nothing on standard output when it refuses the text.
    if (std::system(command.c_str()) != 0 || !fs::exists(output) || fs::file_size(output) == 0) return std::nullopt;
    return GnustepSerializedReader(kavro::test::readFileBytes(output)).read();
  }

  // `theirs` is what GNUstep is given, when not `text` itself.
  void expectBothRead(const std::string& text, std::string theirText = "") {
    std::string error;
    auto ours = NSPropertyListSerialization::propertyListWithData({text.begin(), text.end()}, &error);
    ASSERT_TRUE(ours) << text << "\n" << error;
    auto theirs = gnustepValue(theirText.empty() ? text : theirText);
    ASSERT_TRUE(theirs) << "GNUstep refused:\n" << text;
    EXPECT_EQ(*ours, *theirs) << text;
  }

  kavro::test::TemporaryFolder folder_;
};

TEST_F(OldStyleGnustepDifferential, GeneratedDocumentsReadTheSame) {
  // Many values to a document: GNUstep's start-up is most of what a run costs.
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    OldStyleDocumentGenerator generator(20261208 + seed);
    std::string document = "(" + generator.space();
    for (int i = 0; i < 40; ++i) document += generator.value(0) + generator.space() + "," + generator.space();
    expectBothRead(document + ")");
  }
}

TEST_F(OldStyleGnustepDifferential, GeneratedStringsFilesReadTheSame) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    OldStyleDocumentGenerator generator(20261300 + seed);
    std::string document = generator.space();
    while (document.find('=') == std::string::npos) document += generator.entries(0, true);
    expectBothRead(document, "{" + document + "\n}");
  }
}

TEST_F(OldStyleGnustepDifferential, BothRefuseBrokenText) {
  for (std::string text : {"( a, b", "{ a = b; ", "\"open", "<0fb>", "{ a b; }", "( a ) junk", "<0fbd", "(a #)"}) {
    std::string error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData({text.begin(), text.end()}, &error)) << text;
    EXPECT_FALSE(gnustepValue(text)) << text;
  }
}

}  // namespace
