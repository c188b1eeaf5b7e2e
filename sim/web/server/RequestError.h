#pragma once
// What a request or a page's message can fail with, and the one mapping from a
// failure to the status the server answers with. The HTTP routes answer that
// status with {"error": message}; a page's WebSocket is sent the message (and
// 409, an input that cannot apply now, is told apart there too).

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kavro::sim {

// A request that cannot be carried out as asked; `status` (4xx) says why.
struct RequestError : std::runtime_error {
  RequestError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
  int status;
};

// A failure as the server answers it.
struct Failure {
  int status;
  std::string message;
};

// The status of a failure: a RequestError's own, 409 for an input that cannot
// apply now (InputRefused), 400 for a bad input (InputError), and 500 for
// anything else, the simulator's own fault, which is also written to standard
// error as "kavro-sim: DOING failed: ..." (`doing`: "GET /api/state", "a touch
// input").
Failure failureOf(const std::exception_ptr& error, std::string_view doing);

}  // namespace kavro::sim
