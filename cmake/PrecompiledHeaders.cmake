# Precompiled headers for the heavy headers most sources include: the standard
# library's containers and utilities everywhere, GoogleTest in the tests and
# nlohmann/json in the simulator. Only third-party and standard headers go in, so
# no source can lean on a project header it does not include itself.
set(KAVRO_PCH_STANDARD
  <algorithm> <cmath> <cstdint> <functional> <map> <memory> <optional> <set>
  <string> <string_view> <unordered_map> <utility> <variant> <vector>)
set(KAVRO_PCH_JSON <nlohmann/json.hpp>)
set(KAVRO_PCH_TESTS <gtest/gtest.h> <gmock/gmock.h>)

option(KAVRO_PRECOMPILED_HEADERS "Use precompiled headers" ON)

function(kavro_precompile target)
  if(KAVRO_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
