# Warnings are errors everywhere; the sanitizer build adds ASan and UBSan.
add_library(kavro_options INTERFACE)
target_compile_options(kavro_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter -Wno-missing-field-initializers)
# GCC 12 reports std::variant members as maybe-uninitialized at -O2 when they are
# not, and std::string concatenations as out of bounds or overflowing (its bugs
# 105651 and 105329, seen once the standard headers come precompiled); these
# warnings are unusable with it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(kavro_options INTERFACE -Wno-maybe-uninitialized)
  if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(kavro_options INTERFACE -Wno-array-bounds -Wno-restrict -Wno-stringop-overflow)
  endif()
endif()
target_include_directories(kavro_options INTERFACE "${CMAKE_SOURCE_DIR}")
if(KAVRO_SANITIZE)
  target_compile_options(kavro_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kavro_options INTERFACE -fsanitize=address,undefined)
endif()
