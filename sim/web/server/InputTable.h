#pragma once
// The inputs a page or a client sends, as one table: each kind is served both as
// POST /api/NAME and as the WebSocket message {"type": NAME, ...}, with the same
// fields. A new kind of input is one more entry in inputKinds().

#include "sim/core/Input.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string_view>
#include <vector>

namespace kavro::sim {

struct InputKind {
  std::string_view name;
  // The fields a body may have; any other is refused.
  std::vector<std::string_view> fields;
  // Checks the fields' values (RequestError, 400) and applies the input
  // (InputError, InputRefused); `owner` is the client whose finger a touch is.
  void (*apply)(Input& input, const nlohmann::json& body, Input::Owner owner);
};

// Every kind of input, in the order docs/simulator.md lists them.
const std::vector<InputKind>& inputKinds();
// The kind called `name`, or nullptr.
const InputKind* findInput(std::string_view name);

// How the server applies an input whose fields were checked (it brings the
// device's clock up to the real time first, and tells the pages afterwards).
using ApplyInput = std::function<void(const InputKind& kind, const nlohmann::json& body, Input::Owner owner)>;

}  // namespace kavro::sim
