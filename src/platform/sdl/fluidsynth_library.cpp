#include "platform/sdl/fluidsynth_library.h"

#include <dlfcn.h>

#include <optional>

namespace tw {

namespace {

// The name FluidSynth 2 is installed under.
constexpr char kLibraryName[] = "libfluidsynth.so.3";

std::optional<FluidSynthLibrary> load() {
  // Kept loaded to the end: the synth's threads and exit handlers live in it.
  void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (!handle) return std::nullopt;
  FluidSynthLibrary library;
  bool complete = true;
#define TALLOWIND_FLUIDSYNTH_RESOLVE(name)                                       \
  library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name)); \
  complete = complete && library.name != nullptr;
  TALLOWIND_FLUIDSYNTH_FUNCTIONS(TALLOWIND_FLUIDSYNTH_RESOLVE)
#undef TALLOWIND_FLUIDSYNTH_RESOLVE
  if (!complete) return std::nullopt;
  return library;
}

}  // namespace

const FluidSynthLibrary* fluidsynth_library() {
  static const std::optional<FluidSynthLibrary> library = load();
  return library ? &*library : nullptr;
}

}  // namespace tw
