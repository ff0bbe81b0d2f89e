# Warnings are errors for the project's own targets (not for GoogleTest).
function(vt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    # GCC 12 reports std::string and std::vector internals inlined at -O3
    # (the MinGW release build) as overlapping or overflowing copies that
    # cannot happen; the sanitizer build checks the real thing.
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overflow)
  endif()
endfunction()
