// The entry point libFuzzer calls; TALLOWIND_FUZZ_TARGET names the target.
#include <cstddef>
#include <cstdint>

#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tw::fuzz::TALLOWIND_FUZZ_TARGET({reinterpret_cast<const char*>(data), size});
  return 0;
}
