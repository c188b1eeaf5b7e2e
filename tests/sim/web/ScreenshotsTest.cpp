// Screenshots without a browser: the check that a page's bytes are a PNG of the
// screen's size, the base64 they come in, the requests waiting for a page's answer
// (shared, answered in order, each within its own time), and the one page message
// allowed past the 16 KiB limit.

#include "platform/foundation/PlistValue.h"
#include "sim/web/server/PageMessage.h"
#include "sim/web/server/Screenshots.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavro::sim {
namespace {

using nlohmann::json;
using Clock = ScreenshotWaits::Clock;

// A PNG's signature and IHDR chunk for a picture of width × height (no pixels:
// only the header is checked).
std::string pngHeader(std::uint32_t width, std::uint32_t height, std::string_view chunk = "IHDR") {
  std::string bytes = "\x89PNG\r\n\x1a\n";
  auto word = [&](std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  };
  word(13);
  bytes += chunk;
  word(width);
  word(height);
  bytes += std::string("\x08\x06\x00\x00\x00", 5);
  word(0);  // the chunk's CRC, which nobody checks here
  return bytes;
}

TEST(Screenshots, OnlyAPngOfTheScreensPixelSizePasses) {
  EXPECT_EQ(screenshotWidth(), 1170u);
  EXPECT_EQ(screenshotHeight(), 2532u);
  EXPECT_FALSE(pngProblem(pngHeader(1170, 2532), 1170, 2532));
  std::string good = pngHeader(1170, 2532);
  struct Case {
    std::string bytes;
    std::string says;
  };
  std::vector<Case> cases = {
      {"", "signature"},
      {"GIF89a", "signature"},
      {"\x89PNG\r\n\x1a", "signature"},  // one byte short of a signature
      {"\x89PNG\r\n\x1a\n", "IHDR"},
      {good.substr(0, 23), "IHDR"},  // cut inside the height
      {pngHeader(1170, 2532, "IDAT"), "IHDR"},
      {pngHeader(390, 844), "390 × 844"},
      {pngHeader(2532, 1170), "2532 × 1170"},
      {pngHeader(1170, 2533), "1170 × 2533"},
  };
  for (auto& [bytes, says] : cases) {
    auto problem = pngProblem(bytes, 1170, 2532);
    ASSERT_TRUE(problem) << says;
    EXPECT_NE(problem->find(says), std::string::npos) << *problem;
  }
}

TEST(Screenshots, Base64ReadsWhatTheEncoderWritesAndNothingElse) {
  // Every byte value, at every length modulo three, back from the platform's encoder.
  for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 5u, 256u, 257u, 258u}) {
    NSData data;
    for (std::size_t i = 0; i < length; ++i) data.bytes.push_back(static_cast<std::uint8_t>((i * 37 + 11) % 256));
    auto decoded = decodeBase64(data.base64EncodedString());
    ASSERT_TRUE(decoded) << length;
    EXPECT_EQ(*decoded, std::string(data.bytes.begin(), data.bytes.end())) << length;
  }
  EXPECT_EQ(decodeBase64("aGk/Pz4+"), "hi?" "?>>");  // the last two characters of the alphabet
  for (const char* bad : {"a", "abc", "ab=c", "a===", "====", "ab c", "abc\n", "ab-_", "aGk=aGk=", "aR==", "aGl="})
    EXPECT_FALSE(decodeBase64(bad)) << bad;
}

// Replies that log "NAME STATUS" in the order they are answered.
struct Log {
  std::vector<std::string> lines;
  ScreenshotWaits::Reply reply(const std::string& name) {
    return [this, name](HttpReply reply) { lines.push_back(name + " " + std::to_string(reply.status)); };
  }
};
using Lines = std::vector<std::string>;
const std::string kPng = pngHeader(1170, 2532);

TEST(ScreenshotWaits, RequestsWhileAnAskIsOutShareItsAnswerInTheOrderTheyCame) {
  ScreenshotWaits waits;
  Log log;
  Clock::time_point now{};
  auto ask = waits.add(now, log.reply("a"));
  ASSERT_TRUE(ask);
  EXPECT_FALSE(waits.add(now, log.reply("b"))) << "the ask out serves it";
  EXPECT_FALSE(waits.add(now, log.reply("c")));
  EXPECT_FALSE(waits.answer({*ask + 1, kPng, std::nullopt})) << "no such ask";
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(waits.answer({*ask, kPng, std::nullopt}));
  EXPECT_EQ(log.lines, (Lines{"a 200", "b 200", "c 200"}));
  EXPECT_EQ(waits.askOut(), 0u);
  // The same answer again finds nobody; the next request asks anew.
  EXPECT_FALSE(waits.answer({*ask, kPng, std::nullopt}));
  auto next = waits.add(now, log.reply("d"));
  ASSERT_TRUE(next);
  EXPECT_NE(*next, *ask);

  // A page's error is 504; bytes that are no PNG of the screen's size are 502.
  waits.answer({*next, "", std::string("the canvas is tainted")});
  ask = waits.add(now, log.reply("e"));
  waits.answer({*ask, "not a picture", std::nullopt});
  ask = waits.add(now, log.reply("f"));
  waits.answer({*ask, pngHeader(390, 844), std::nullopt});
  EXPECT_EQ(Lines(log.lines.end() - 3, log.lines.end()), (Lines{"d 504", "e 502", "f 502"}));
}

TEST(ScreenshotWaits, EachRequestWaitsFiveSecondsFromItsOwnArrival) {
  Clock::time_point start{};
  ScreenshotWaits waits;
  Log log;
  auto ask = waits.add(start, log.reply("early"));
  waits.add(start + std::chrono::seconds(3), log.reply("late"));
  EXPECT_EQ(waits.nextDeadline(), start + ScreenshotWaits::kTimeout);
  waits.expire(start + std::chrono::milliseconds(4999));
  EXPECT_TRUE(log.lines.empty());
  waits.expire(start + ScreenshotWaits::kTimeout);
  EXPECT_EQ(log.lines, Lines{"early 504"}) << "the later one's own 5 s are not up";
  EXPECT_EQ(waits.askOut(), *ask) << "the ask stays out for the request still waiting";
  EXPECT_EQ(waits.nextDeadline(), start + std::chrono::seconds(8));
  // A late answer still serves the one waiting.
  EXPECT_TRUE(waits.answer({*ask, kPng, std::nullopt}));
  EXPECT_EQ(log.lines.back(), "late 200");

  // Once nobody waits the ask is given up: an answer after that is ignored.
  ask = waits.add(start, log.reply("alone"));
  waits.expire(start + std::chrono::seconds(6));
  EXPECT_EQ(log.lines.back(), "alone 504");
  EXPECT_EQ(waits.askOut(), 0u);
  EXPECT_FALSE(waits.answer({*ask, kPng, std::nullopt}));
}

TEST(ScreenshotWaits, APageGoneAnswersEveryoneAndAStoppingServerAnswersNobody) {
  Clock::time_point now{};
  ScreenshotWaits waits;
  Log log;
  waits.add(now, log.reply("one"));
  waits.add(now, log.reply("two"));
  waits.fail(504, "the page went away");
  EXPECT_EQ(log.lines, (Lines{"one 504", "two 504"}));
  EXPECT_EQ(waits.askOut(), 0u);
  waits.add(now, log.reply("dropped"));
  waits.drop();
  EXPECT_TRUE(waits.empty());
  EXPECT_EQ(log.lines.size(), 2u);

  // A reply that asks again (a client retrying at once) starts a new ask.
  std::optional<std::uint64_t> again;
  auto ask = waits.add(now, [&](HttpReply) { again = waits.add(now, [](HttpReply) {}); });
  waits.answer({*ask, "", std::string("no frame yet")});
  ASSERT_TRUE(again);
  EXPECT_NE(*again, *ask);
  EXPECT_EQ(waits.askOut(), *again);
}

// What handlePageMessage makes of `text`: the answer, whether it is too large, and
// the screenshot answer it passed on.
struct Read {
  PageMessageResult result;
  std::optional<ScreenshotAnswer> screenshot;
  bool input = false;
};
Read read(const std::string& text) {
  Read read;
  read.result = handlePageMessage(
      text, 1, [&](const InputKind&, const json&, Input::Owner) { read.input = true; },
      [&](const ScreenshotAnswer& answer) { read.screenshot = answer; });
  return read;
}

TEST(PageMessage, OnlyAScreenshotAnswerMayBeLongerThan16KiB) {
  std::string picture = NSData{std::vector<std::uint8_t>(40 * 1024, 7)}.base64EncodedString();
  Read big = read(json{{"type", "screenshot"}, {"id", 4}, {"png", picture}}.dump());
  ASSERT_TRUE(big.screenshot);
  EXPECT_EQ(big.screenshot->id, 4u);
  EXPECT_EQ(big.screenshot->png, std::string(40 * 1024, 7));
  EXPECT_FALSE(big.result.tooLarge);
  EXPECT_FALSE(big.result.answer);

  // Anything else that long is refused before it does anything, whatever it is.
  std::string padding(kMaximumPageMessage, ' ');
  for (const std::string& text : {R"({"type": "key", "text": "a"})" + padding, padding + "{", std::string(20000, 'x'),
                                  R"({"type": "fly", "x": ")" + std::string(20000, 'x') + "\"}"}) {
    Read refused = read(text);
    EXPECT_TRUE(refused.result.tooLarge) << text.substr(0, 40);
    EXPECT_FALSE(refused.input || refused.screenshot);
  }
  // An input just under the limit is still an input.
  std::string fits = R"({"type": "key", "text": "a"})";
  fits.insert(fits.size() - 1, std::string(kMaximumPageMessage - fits.size(), ' '));
  ASSERT_EQ(fits.size(), kMaximumPageMessage);
  EXPECT_TRUE(read(fits).input);
}

TEST(PageMessage, AMalformedScreenshotAnswerIsAnsweredAsAnyMalformedMessage) {
  for (const char* text : {R"({"type": "screenshot"})", R"({"type": "screenshot", "id": 0, "png": ""})",
                           R"({"type": "screenshot", "id": -1, "png": ""})", R"({"type": "screenshot", "id": "1", "png": ""})",
                           R"({"type": "screenshot", "id": 1})", R"({"type": "screenshot", "id": 1, "png": "", "error": "x"})",
                           R"({"type": "screenshot", "id": 1, "png": 5})", R"({"type": "screenshot", "id": 1, "png": "", "x": 1})"}) {
    Read malformed = read(text);
    EXPECT_FALSE(malformed.screenshot) << text;
    ASSERT_TRUE(malformed.result.answer) << text;
    EXPECT_EQ(json::parse(*malformed.result.answer)["type"], "error") << text;
  }
  // A picture that is no base64 comes through empty, for the screenshots to refuse.
  Read notBase64 = read(R"({"type": "screenshot", "id": 2, "png": "%%%%"})");
  ASSERT_TRUE(notBase64.screenshot);
  EXPECT_EQ(notBase64.screenshot->png, "");
  Read error = read(R"({"type": "screenshot", "id": 3, "error": "no frame yet"})");
  ASSERT_TRUE(error.screenshot);
  EXPECT_EQ(error.screenshot->error, "no frame yet");
}

}  // namespace
}  // namespace kavro::sim
