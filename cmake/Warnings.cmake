# Warnings are errors for the project's own targets (not for GoogleTest).
function(vt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Werror)
endfunction()
