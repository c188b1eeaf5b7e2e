#include "sim/web/server/RequestError.h"

#include "sim/core/Query.h"

#include <iostream>

namespace kavro::sim {

Failure failureOf(const std::exception_ptr& error, std::string_view doing) {
  try {
    std::rethrow_exception(error);
  } catch (const RequestError& failure) {
    return {failure.status, failure.what()};
  } catch (const InputRefused& refused) {
    return {409, refused.what()};
  } catch (const InputError& bad) {
    return {400, bad.what()};
  } catch (const std::exception& fault) {
    std::cerr << "kavro-sim: " << doing << " failed: " << fault.what() << "\n";
    return {500, std::string("the simulator failed: ") + fault.what()};
  } catch (...) {
    std::cerr << "kavro-sim: " << doing << " failed\n";
    return {500, "the simulator failed"};
  }
}

}  // namespace kavro::sim
