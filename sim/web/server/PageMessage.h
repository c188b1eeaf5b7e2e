#pragma once
// A page's message on its WebSocket: {"type": NAME, ...fields}, an input of the
// input table (InputTable.h) with the fields its POST route takes. What the page
// is answered, if anything, follows from the one mapping of failures
// (RequestError.h): a malformed message or a bad input is answered
// {"type": "error", "error": ...}; a press that cannot be had now (409) is
// answered {"type": "refused", "input": "touch", "error": ...} on the page that
// pressed, and any other input with nowhere to go is dropped quietly.

#include "sim/core/Input.h"
#include "sim/web/server/InputTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace kavro::sim {

// Reads and applies one message of the page `owner`; returns the answer to send
// it, or nullopt when there is none.
std::optional<std::string> handlePageMessage(std::string_view text, Input::Owner owner, const ApplyInput& apply);

}  // namespace kavro::sim
