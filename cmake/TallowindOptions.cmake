# Compiler options applied per target, never through the global flags.
option(TALLOWIND_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TALLOWIND_FUZZ "Build the libFuzzer targets (clang), everything with ASan and UBSan" OFF)
if(TALLOWIND_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "TALLOWIND_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

function(tallowind_target_options target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(TALLOWIND_SANITIZE)
    target_compile_options(${target} PUBLIC
      -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
  if(TALLOWIND_FUZZ)
    target_compile_options(${target} PUBLIC -fsanitize=fuzzer-no-link,address,undefined
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()
