#pragma once
// Reading the JSON an input is sent as: a POST body or a WebSocket message, an
// object whose fields are all known, each of the type it must have. Every check
// throws RequestError (400, or 415 for a body not sent as JSON) with a message
// that names the field.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::sim {

// Whether a Content-Type names application/json (parameters such as a charset
// aside, in any case).
bool isJsonContentType(std::string_view type);

// A POST body: sent as application/json (415 otherwise), and valid JSON.
nlohmann::json readJsonBody(std::string_view contentType, std::string_view body);

// Checks that `body` is an object whose keys are all among `allowed`.
void checkFields(const nlohmann::json& body, const std::vector<std::string_view>& allowed);

// The string field `name`: present, a string, and one of `choices` unless there
// are none.
std::string stringField(const nlohmann::json& body, std::string_view name,
                        const std::vector<std::string_view>& choices = {});

// The number field `name`, when present: finite and within ±`limit`.
std::optional<double> numberField(const nlohmann::json& body, std::string_view name, double limit);

}  // namespace kavro::sim
