// Generated round trips through kavro-defaults, run in the test's process so that
// hundreds of cases stay cheap: a value written with its type flag reads back as
// that type and value, and what `read` prints for an array or a dictionary of
// strings, written back as it was printed (`write D K "$(kavro-defaults read D
// K)"`), stores the same value again, as with the platform's tool.

#include "platform/foundation/PreferenceDomainStore.h"
#include "platform/foundation/ReferenceDateCalendar.h"
#include "tests/sim/defaults/DefaultsToolFixture.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <random>

namespace defaults_round_trip_test {

using kavro::platform::foundation::PreferenceDomainStore;

class DefaultsRoundTrip : public kavro::test::DefaultsToolTest {
 protected:
  PlistValue storedValue(const std::string& domain, const std::string& key) const {
    return PreferenceDomainStore(preferences()).value(key, domain);
  }
  // What `$(command)` makes of the output: the final line feeds dropped.
  static std::string asShellCapture(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
};

struct TypedCase {
  std::string flag;
  std::string text;
  PlistValue expected;
  std::string typeWord;
};

TypedCase randomTypedCase(std::mt19937_64& random) {
  char buffer[96];
  switch (random() % 6) {
    case 0: {
      const auto value = static_cast<std::int64_t>(random()) >> (random() % 64);
      return {random() % 2 ? "-int" : "-integer", std::to_string(value), PlistValue(value), "integer"};
    }
    case 1: {
      const double value = std::ldexp(static_cast<double>(static_cast<std::int64_t>(random())), -static_cast<int>(random() % 80));
      return {"-float", std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr), PlistValue(value), "float"};
    }
    case 2: {
      static const char* const kWords[] = {"YES", "no", "True", "FALSE", "1", "0", "yEs", "nO"};
      const std::string word = kWords[random() % 8];
      const bool truth = word == "1" || word[0] == 'Y' || word[0] == 'y' || word[0] == 'T' || word[0] == 't';
      return {random() % 2 ? "-bool" : "-boolean", word, PlistValue(truth), "boolean"};
    }
    case 3: {
      NSData data;
      std::string hex;
      for (int length = static_cast<int>(random() % 24); length > 0; --length) {
        data.bytes.push_back(static_cast<std::uint8_t>(random()));
        std::snprintf(buffer, sizeof buffer, "%02x", data.bytes.back());
        hex += buffer;
      }
      return {"-data", hex, PlistValue(data), "data"};
    }
    case 4: {
      const double seconds = static_cast<double>(static_cast<std::int64_t>(random() % 6'000'000'000ull) - 3'000'000'000);
      auto iso = kavro::platform::foundation::ReferenceDateCalendar::formatISO8601(seconds);
      return {"-date", *iso, PlistValue(NSDate{seconds}), "date"};
    }
    default: {
      std::string text;
      for (int length = static_cast<int>(random() % 12); length > 0; --length) text += static_cast<char>(1 + random() % 127);
      return {"-string", text, PlistValue(text), "string"};
    }
  }
}

// Every write is durable (an fsync of the file and of its folder), which on a busy
// disk is what a case costs: the generated cases go mostly through one -dict or
// -array write each, beside a few dozen writes of their own.
TEST_F(DefaultsRoundTrip, TypedValuesReadBackAsTheirTypeAndValue) {
  std::mt19937_64 random(20240810);
  for (int round = 0; round < 40; ++round) {
    const TypedCase item = randomTypedCase(random);
    const std::string key = "k" + std::to_string(round);
    const auto written = inProcess({"write", "com.typed", key, item.flag, item.text});
    ASSERT_EQ(written.status, 0) << item.flag << " " << item.text << ": " << written.err;
    EXPECT_EQ(inProcess({"read-type", "com.typed", key}).out, "Type is " + item.typeWord + "\n") << item.flag;
    EXPECT_EQ(storedValue("com.typed", key), item.expected) << item.flag << " " << item.text;
  }
  std::vector<std::string> dictionary = {"write", "com.typed", "dictionary", "-dict"};
  std::vector<std::string> array = {"write", "com.typed", "array", "-array"};
  PlistValue::Dictionary expectedDictionary;
  PlistValue::Array expectedArray;
  for (int round = 0; round < 400; ++round) {
    const TypedCase item = randomTypedCase(random);
    const std::string key = "k" + std::to_string(round);
    dictionary.insert(dictionary.end(), {key, item.flag, item.text});
    expectedDictionary.emplace(key, item.expected);
    array.insert(array.end(), {item.flag, item.text});
    expectedArray.push_back(item.expected);
  }
  ASSERT_EQ(inProcess(dictionary).status, 0);
  ASSERT_EQ(inProcess(array).status, 0);
  EXPECT_EQ(storedValue("com.typed", "dictionary"), PlistValue(expectedDictionary));
  EXPECT_EQ(storedValue("com.typed", "array"), PlistValue(expectedArray));
}

// Strings of the characters that matter to the text form: quotes, backslashes,
// its punctuation, comment openers, control characters, non-ASCII and astral
// characters, and none at all.
std::string randomText(std::mt19937_64& random) {
  static const std::vector<std::string> kPieces = {
      "a", "Z", "0", "_", "$", ".", "-", "/", ":", "+", " ", "\"", "\\", "'", "(", ")", "{", "}", "<", ">",
      ";", "=", ",", "//", "/*", "*/", "\n", "\t", "\r", "\x01", "\x7f", "\xC3\xA9", "\xE4\xB8\xAD",
      "\xF0\x9F\x98\x80", "\\U00e9", "YES", "<0fbd>"};
  std::string text;
  for (int length = static_cast<int>(random() % 7); length > 0; --length) text += kPieces[random() % kPieces.size()];
  return text;
}

PlistValue randomStringTree(std::mt19937_64& random, int depth) {
  const bool container = depth == 0 || (depth < 4 && random() % 3 != 0);
  if (!container) return PlistValue(randomText(random));
  if (random() % 2) {
    PlistValue::Array array;
    for (int count = static_cast<int>(random() % 5); count > 0; --count) array.push_back(randomStringTree(random, depth + 1));
    return PlistValue(std::move(array));
  }
  PlistValue::Dictionary dictionary;
  for (int count = static_cast<int>(random() % 5); count > 0; --count)
    dictionary.insert_or_assign(randomText(random), randomStringTree(random, depth + 1));
  return PlistValue(std::move(dictionary));
}

TEST_F(DefaultsRoundTrip, PrintedArraysAndDictionariesWriteBackAsTheSameValue) {
  std::mt19937_64 random(20240811);
  PlistValue::Dictionary originals;
  for (int round = 0; round < 400; ++round) originals.emplace("v" + std::to_string(round), randomStringTree(random, 0));
  PreferenceDomainStore store(preferences());
  ASSERT_TRUE(store.replaceDomain(originals, "com.trip"));
  // A few as `write D K "$(read D K)"`, all of them as the untyped values of one -dict.
  std::vector<std::string> copies = {"write", "com.trip", "copies", "-dict"};
  int round = 0;
  for (const auto& [key, value] : originals) {
    const auto printed = inProcess({"read", "com.trip", key});
    ASSERT_EQ(printed.status, 0);
    copies.insert(copies.end(), {key, asShellCapture(printed.out)});
    if (round++ % 20 != 0) continue;
    ASSERT_EQ(inProcess({"write", "com.trip", "copy", asShellCapture(printed.out)}).status, 0);
    EXPECT_EQ(storedValue("com.trip", "copy"), value) << printed.out;
  }
  ASSERT_EQ(inProcess(copies).status, 0);
  const PlistValue copied = storedValue("com.trip", "copies");
  for (const auto& [key, value] : originals) EXPECT_EQ(copied[key], value) << key;
}

TEST_F(DefaultsRoundTrip, APrintedDomainWritesBackAsTheSameDomain) {
  std::mt19937_64 random(20240812);
  PreferenceDomainStore store(preferences());
  for (int round = 0; round < 30; ++round) {
    PlistValue::Dictionary domain;
    for (int count = static_cast<int>(random() % 12); count > 0; --count)
      domain.insert_or_assign(randomText(random), randomStringTree(random, 1));
    if (domain.empty()) domain.emplace("k", "v");  // a domain without keys has no file to read
    ASSERT_TRUE(store.replaceDomain(domain, "com.source"));
    const auto printed = inProcess({"read", "com.source"});
    ASSERT_EQ(printed.status, 0);
    ASSERT_EQ(inProcess({"write", "com.copy", asShellCapture(printed.out)}).status, 0) << printed.out;
    EXPECT_EQ(PreferenceDomainStore(preferences()).values("com.copy"), domain) << printed.out;
    // And through export and import, in XML.
    const auto exported = inProcess({"export", "com.source", "-"});
    ASSERT_EQ(inProcess({"import", "com.imported", "-"}, exported.out).status, 0);
    EXPECT_EQ(PreferenceDomainStore(preferences()).values("com.imported"), domain);
  }
}

}  // namespace defaults_round_trip_test
