#include "sim/web/server/JsonFields.h"

#include "sim/web/server/RequestError.h"

#include <algorithm>
#include <cmath>

namespace kavro::sim {

using nlohmann::json;

namespace {

std::string inQuotes(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

bool isJsonContentType(std::string_view type) {
  std::string bare;
  for (char c : type.substr(0, type.find(';')))
    if (c != ' ') bare += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return bare == "application/json";
}

json readJsonBody(std::string_view contentType, std::string_view body) {
  if (!isJsonContentType(contentType)) throw RequestError(415, "the body must be sent as application/json");
  json parsed = json::parse(body, nullptr, false);
  if (parsed.is_discarded()) throw RequestError(400, "the body is not valid JSON");
  return parsed;
}

void checkFields(const json& body, const std::vector<std::string_view>& allowed) {
  if (!body.is_object()) throw RequestError(400, "the body must be a JSON object");
  for (auto& [key, value] : body.items())
    if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
      throw RequestError(400, "unknown field " + inQuotes(key));
}

std::string stringField(const json& body, std::string_view name, const std::vector<std::string_view>& choices) {
  auto found = body.find(name);
  if (found == body.end()) throw RequestError(400, "missing field " + inQuotes(name));
  if (!found->is_string()) throw RequestError(400, inQuotes(name) + " must be a string");
  std::string value = found->get<std::string>();
  if (!choices.empty() && std::find(choices.begin(), choices.end(), value) == choices.end()) {
    std::string list;
    for (std::string_view choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
    throw RequestError(400, inQuotes(name) + " must be one of " + list);
  }
  return value;
}

std::optional<double> numberField(const json& body, std::string_view name, double limit) {
  auto found = body.find(name);
  if (found == body.end()) return std::nullopt;
  if (!found->is_number()) throw RequestError(400, inQuotes(name) + " must be a number");
  double value = found->get<double>();
  if (!std::isfinite(value) || std::abs(value) > limit) throw RequestError(400, inQuotes(name) + " is out of range");
  return value;
}

}  // namespace kavro::sim
