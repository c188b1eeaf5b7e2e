#include "sim/web/server/PageMessage.h"

#include "sim/core/PlistJson.h"
#include "sim/web/server/JsonFields.h"
#include "sim/web/server/RequestError.h"

namespace kavro::sim {

using nlohmann::json;

namespace {

constexpr std::string_view kScreenshot = "screenshot";

// The type a message names, with "type" taken out of it.
std::string messageType(json& message) {
  if (message.is_discarded() || !message.is_object()) throw RequestError(400, "a message is a JSON object");
  auto found = message.find("type");
  if (found == message.end() || !found->is_string()) throw RequestError(400, "a message names its \"type\"");
  std::string type = found->get<std::string>();
  message.erase("type");
  return type;
}

const InputKind& inputKind(const std::string& type) {
  const InputKind* kind = findInput(type);
  if (!kind) throw RequestError(400, "no input is called \"" + type + "\"");
  return *kind;
}

// {"id": N, "png": BASE64} or {"id": N, "error": TEXT}. A picture that is no
// base64 comes through empty (the screenshots answer that it is no PNG).
ScreenshotAnswer screenshotAnswer(const json& message) {
  checkFields(message, {"id", "png", "error"});
  auto id = message.find("id");
  if (id == message.end() || !id->is_number_unsigned() || id->get<std::uint64_t>() == 0)
    throw RequestError(400, "a screenshot answer names the \"id\" it answers, a whole number from 1");
  bool picture = message.contains("png");
  if (picture == message.contains("error"))
    throw RequestError(400, "a screenshot answer carries either \"png\" or \"error\"");
  ScreenshotAnswer answer;
  answer.id = id->get<std::uint64_t>();
  if (picture) answer.png = decodeBase64(stringField(message, "png")).value_or("");
  else answer.error = stringField(message, "error");
  return answer;
}

bool isPress(const InputKind* kind, const json& message) {
  if (!kind || kind->name != "touch") return false;
  auto phase = message.find("phase");
  return phase != message.end() && *phase == "down";
}

}  // namespace

PageMessageResult handlePageMessage(std::string_view text, Input::Owner owner, const ApplyInput& apply,
                                    const TakeScreenshotAnswer& screenshot) {
  json message = json::parse(text, nullptr, false);
  bool large = text.size() > kMaximumPageMessage;
  bool isScreenshot = false;
  const InputKind* kind = nullptr;
  try {
    std::string type = messageType(message);
    if (type == kScreenshot) {
      isScreenshot = true;
      screenshot(screenshotAnswer(message));
      return {};
    }
    if (large) return {std::nullopt, true};
    kind = &inputKind(type);
    checkFields(message, kind->fields);
    apply(*kind, message, owner);
    return {};
  } catch (...) {
    if (large && !isScreenshot) return {std::nullopt, true};
    std::string doing = isScreenshot ? "a page's screenshot answer"
                                     : "a page's " + std::string(kind ? kind->name : "malformed") + " input";
    Failure failure = failureOf(std::current_exception(), doing);
    if (failure.status != 409) return {jsonText({{"type", "error"}, {"error", failure.message}})};
    if (isPress(kind, message)) return {jsonText({{"type", "refused"}, {"input", "touch"}, {"error", failure.message}})};
    return {};
  }
}

}  // namespace kavro::sim
