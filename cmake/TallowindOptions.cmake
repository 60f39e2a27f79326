# Compiler options applied per target, never through the global flags.
option(TALLOWIND_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

function(tallowind_target_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(TALLOWIND_SANITIZE)
    target_compile_options(${target} PUBLIC
      -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()
