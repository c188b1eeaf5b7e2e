#pragma once
// A page's message on its WebSocket: {"type": NAME, ...fields}, an input of the
// input table (InputTable.h) with the fields its POST route takes, or the page's
// answer to the server's {"type": "screenshot", "id": N}, which is no input and
// goes to the screenshots instead (Screenshots.h). What the page is answered, if
// anything, follows from the one mapping of failures (RequestError.h): a
// malformed message or a bad input is answered {"type": "error", "error": ...}; a
// press that cannot be had now (409) is answered {"type": "refused", "input":
// "touch", "error": ...} on the page that pressed, and any other input with
// nowhere to go is dropped quietly.
//
// A message is at most kMaximumPageMessage bytes long; only a screenshot answer,
// whose picture is a few megabytes of base64, may be longer (up to
// kMaximumScreenshotMessage, the socket's own limit). Any other message that long
// is refused as the socket refuses one over its limit: the connection closes.

#include "sim/core/Input.h"
#include "sim/web/server/InputTable.h"
#include "sim/web/server/Screenshots.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::sim {

inline constexpr std::size_t kMaximumPageMessage = 16 * 1024;
inline constexpr std::size_t kMaximumScreenshotMessage = 24 * 1024 * 1024;

using TakeScreenshotAnswer = std::function<void(const ScreenshotAnswer& answer)>;

struct PageMessageResult {
  // What to send the page back, if anything.
  std::optional<std::string> answer;
  // Longer than kMaximumPageMessage and no screenshot answer: the connection is
  // to be closed.
  bool tooLarge = false;
};

// Reads one message of the page `owner` and hands it on: an input to `apply`, a
// screenshot answer to `screenshot`.
PageMessageResult handlePageMessage(std::string_view text, Input::Owner owner, const ApplyInput& apply,
                                    const TakeScreenshotAnswer& screenshot);

}  // namespace kavro::sim
