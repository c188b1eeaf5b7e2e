// A page's WebSocket messages without a socket or a device: what reaches the
// input, and what the page is answered for each way a message can fail.

#include "sim/core/Query.h"
#include "sim/web/server/PageMessage.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kavro::sim {
namespace {

using nlohmann::json;

// Handles `text` as page 7's message with an input that does `effect`; returns
// the answer's JSON (null for none) and what reached the input.
struct Handled {
  json answer;
  std::string kind;
  json body;
};
Handled handle(const std::string& text, const std::function<void()>& effect = [] {}) {
  Handled handled;
  auto answer = handlePageMessage(text, 7, [&](const InputKind& kind, const json& body, Input::Owner owner) {
    EXPECT_EQ(owner, 7u);
    handled.kind = kind.name;
    handled.body = body;
    effect();
  }, [](const ScreenshotAnswer&) { ADD_FAILURE() << "an input taken for a screenshot answer"; });
  EXPECT_FALSE(answer.tooLarge);
  handled.answer = answer.answer ? json::parse(*answer.answer) : json();
  return handled;
}

TEST(PageMessage, AnInputReachesTheTableWithItsFieldsAndIsNotAnswered) {
  Handled handled = handle(R"({"type": "touch", "phase": "down", "x": 1, "y": 2})");
  EXPECT_TRUE(handled.answer.is_null());
  EXPECT_EQ(handled.kind, "touch");
  EXPECT_EQ(handled.body, json({{"phase", "down"}, {"x", 1}, {"y", 2}}));
}

TEST(PageMessage, AMalformedMessageIsAnsweredWithAnErrorAndReachesNothing) {
  for (const char* text : {"", "{", "[]", "\"touch\"", R"({"phase": "down"})", R"({"type": 3})",
                           R"({"type": "fly"})", R"({"type": "touch", "phase": "down", "x": 1, "y": 2, "z": 3})"}) {
    Handled handled = handle(text);
    EXPECT_EQ(handled.answer["type"], "error") << text;
    EXPECT_FALSE(handled.answer["error"].get<std::string>().empty()) << text;
    EXPECT_EQ(handled.kind, "") << text;
  }
  EXPECT_NE(handle(R"({"type": "fly"})").answer["error"].get<std::string>().find("fly"), std::string::npos);
}

TEST(PageMessage, ARefusedPressIsToldToThePageAndOtherRefusalsAreDropped) {
  auto refuse = [] { throw InputRefused("another window's finger is down"); };
  json press = handle(R"({"type": "touch", "phase": "down", "x": 1, "y": 2})", refuse).answer;
  EXPECT_EQ(press, json({{"type", "refused"}, {"input", "touch"}, {"error", "another window's finger is down"}}));
  EXPECT_TRUE(handle(R"({"type": "touch", "phase": "up"})", refuse).answer.is_null());
  EXPECT_TRUE(handle(R"({"type": "key", "text": "a"})", refuse).answer.is_null());
}

TEST(PageMessage, ABadInputOrAFaultOfTheSimulatorIsAnsweredWithAnError) {
  json bad = handle(R"({"type": "key", "text": "a"})", [] { throw InputError("no such field"); }).answer;
  EXPECT_EQ(bad, json({{"type", "error"}, {"error", "no such field"}}));
  json fault = handle(R"({"type": "open", "target": "settings"})", [] { throw std::runtime_error("broke"); }).answer;
  EXPECT_EQ(fault, json({{"type", "error"}, {"error", "the simulator failed: broke"}}));
}

}  // namespace
}  // namespace kavro::sim
