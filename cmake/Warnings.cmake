# Warnings are errors everywhere; the sanitizer build adds ASan and UBSan.
add_library(kavro_options INTERFACE)
target_compile_options(kavro_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror -Wno-unused-parameter -Wno-missing-field-initializers)
target_include_directories(kavro_options INTERFACE "${CMAKE_SOURCE_DIR}")
if(KAVRO_SANITIZE)
  target_compile_options(kavro_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kavro_options INTERFACE -fsanitize=address,undefined)
endif()
