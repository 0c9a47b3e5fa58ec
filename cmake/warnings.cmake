# Warnings on everywhere, kept at zero. One interface target that every
# target of the project links, so the flags are written once.
add_library(quorvel_warnings INTERFACE)
if(MSVC)
  target_compile_options(quorvel_warnings INTERFACE /W4 /permissive-)
else()
  target_compile_options(quorvel_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endif()
