#pragma once

#include <fluidsynth.h>

namespace tw {

// The FluidSynth functions the sound output uses.
// clang-format off
#define TALLOWIND_FLUIDSYNTH_FUNCTIONS(X) \
  X(new_fluid_settings) \
  X(delete_fluid_settings) \
  X(fluid_settings_setnum) \
  X(fluid_settings_setstr) \
  X(fluid_settings_setint) \
  X(new_fluid_synth) \
  X(delete_fluid_synth) \
  X(fluid_synth_sfload) \
  X(fluid_synth_system_reset) \
  X(fluid_synth_all_sounds_off) \
  X(fluid_synth_write_float) \
  X(new_fluid_player) \
  X(delete_fluid_player) \
  X(fluid_player_add_mem) \
  X(fluid_player_play) \
  X(fluid_set_log_function)
// clang-format on

struct FluidSynthLibrary {
#define TALLOWIND_FLUIDSYNTH_POINTER(name) decltype(&::name) name = nullptr;
  TALLOWIND_FLUIDSYNTH_FUNCTIONS(TALLOWIND_FLUIDSYNTH_POINTER)
#undef TALLOWIND_FLUIDSYNTH_POINTER
};

// FluidSynth, loaded the first time it is asked for rather than with the
// program: with the libraries it brings it took a tenth of the time to the
// first frame, for music that starts after it. Null when it cannot be
// loaded; the game is silent then.
const FluidSynthLibrary* fluidsynth_library();

}  // namespace tw
