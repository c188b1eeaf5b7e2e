#include "sim/web/server/InputTable.h"

#include "sim/core/AppearanceNames.h"

#include "sim/web/server/JsonFields.h"
#include "sim/web/server/RequestError.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kavro::sim {

using nlohmann::json;

namespace {

// Touch coordinates beyond this are not a pointer's position but garbage.
constexpr double kCoordinateLimit = 100000;
// The wheel's deltas, in points; beyond this a delta is garbage, not a turn.
constexpr double kWheelLimit = 10000;
constexpr std::size_t kMaximumTypedBytes = 256;
constexpr long long kMaximumBackspaces = 100;

void applyTouch(Input& input, const json& body, Input::Owner owner) {
  std::string phase = stringField(body, "phase", {"down", "move", "up", "cancel"});
  auto x = numberField(body, "x", kCoordinateLimit), y = numberField(body, "y", kCoordinateLimit);
  if (x.has_value() != y.has_value()) throw RequestError(400, "a point needs both \"x\" and \"y\"");
  if ((phase == "down" || phase == "move") && !x) throw RequestError(400, "a " + phase + " needs \"x\" and \"y\"");
  if (phase == "down") return input.touchDown(CGPoint{*x, *y}, owner);
  if (phase == "cancel") return input.touchCancel(owner);
  if (x) input.touchMoveTo(CGPoint{*x, *y}, owner);
  if (phase == "up") input.touchUp(false, owner);
}

// Printable text only: typing sends characters, not control codes.
void checkTypedText(const std::string& text) {
  if (text.empty()) throw RequestError(400, "\"text\" is empty");
  if (text.size() > kMaximumTypedBytes)
    throw RequestError(400, "\"text\" is longer than " + std::to_string(kMaximumTypedBytes) + " bytes");
  bool control = std::any_of(text.begin(), text.end(), [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
  if (control) throw RequestError(400, "\"text\" holds a control character");
}

void applyKey(Input& input, const json& body, Input::Owner) {
  int given = body.contains("text") + body.contains("backspace") + body.contains("key");
  if (given != 1) throw RequestError(400, "send one of \"text\", \"backspace\" or \"key\"");
  if (body.contains("key")) {
    if (stringField(body, "key", {"return", "escape"}) == "return") return input.returnKey();
    return input.escapeKey();
  }
  if (body.contains("text")) {
    std::string text = stringField(body, "text");
    checkTypedText(text);
    return input.type(text);
  }
  const json& count = body["backspace"];
  if (!count.is_number_integer() || count.get<long long>() < 1 || count.get<long long>() > kMaximumBackspaces)
    throw RequestError(400, "\"backspace\" must be a whole number from 1 to " + std::to_string(kMaximumBackspaces));
  input.backspace(static_cast<long>(count.get<long long>()));
}

void applyWheel(Input& input, const json& body, Input::Owner) {
  auto x = numberField(body, "x", kCoordinateLimit), y = numberField(body, "y", kCoordinateLimit);
  if (!x || !y) throw RequestError(400, "a wheel needs \"x\" and \"y\"");
  double dx = numberField(body, "dx", kWheelLimit).value_or(0);
  double dy = numberField(body, "dy", kWheelLimit).value_or(0);
  input.wheel(CGPoint{*x, *y}, dx, dy);
}

void applyAppearance(Input& input, const json& body, Input::Owner) {
  using kavro::platform::Appearance;
  auto name = stringField(body, "appearance", {appearanceName(Appearance::light), appearanceName(Appearance::dark)});
  input.setAppearance(*appearanceNamed(name));
}

void applyOpen(Input& input, const json& body, Input::Owner) {
  if (stringField(body, "target", {"settings", "springboard"}) == "settings")
    input.openSettings();
  else
    input.openSpringboard();
}

}  // namespace

const std::vector<InputKind>& inputKinds() {
  static const std::vector<InputKind> kinds = {
      {"touch", {"phase", "x", "y"}, applyTouch},
      {"key", {"text", "backspace", "key"}, applyKey},
      {"wheel", {"x", "y", "dx", "dy"}, applyWheel},
      {"appearance", {"appearance"}, applyAppearance},
      {"open", {"target"}, applyOpen},
  };
  return kinds;
}

const InputKind* findInput(std::string_view name) {
  for (auto& kind : inputKinds())
    if (name == kind.name) return &kind;
  return nullptr;
}

}  // namespace kavro::sim
