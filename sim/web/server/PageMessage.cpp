#include "sim/web/server/PageMessage.h"

#include "sim/core/PlistJson.h"
#include "sim/web/server/JsonFields.h"
#include "sim/web/server/RequestError.h"

namespace kavro::sim {

using nlohmann::json;

namespace {

// The kind a message names, with "type" taken out of it.
const InputKind& messageKind(json& message) {
  if (message.is_discarded() || !message.is_object()) throw RequestError(400, "a message is a JSON object");
  auto found = message.find("type");
  if (found == message.end() || !found->is_string()) throw RequestError(400, "a message names its \"type\"");
  std::string type = found->get<std::string>();
  const InputKind* kind = findInput(type);
  if (!kind) throw RequestError(400, "no input is called \"" + type + "\"");
  message.erase("type");
  return *kind;
}

bool isPress(const InputKind* kind, const json& message) {
  if (!kind || kind->name != "touch") return false;
  auto phase = message.find("phase");
  return phase != message.end() && *phase == "down";
}

}  // namespace

std::optional<std::string> handlePageMessage(std::string_view text, Input::Owner owner, const ApplyInput& apply) {
  json message = json::parse(text, nullptr, false);
  const InputKind* kind = nullptr;
  try {
    kind = &messageKind(message);
    checkFields(message, kind->fields);
    apply(*kind, message, owner);
    return std::nullopt;
  } catch (...) {
    std::string doing = "a page's " + std::string(kind ? kind->name : "malformed") + " input";
    Failure failure = failureOf(std::current_exception(), doing);
    if (failure.status != 409) return jsonText({{"type", "error"}, {"error", failure.message}});
    if (isPress(kind, message)) return jsonText({{"type", "refused"}, {"input", "touch"}, {"error", failure.message}});
    return std::nullopt;
  }
}

}  // namespace kavro::sim
