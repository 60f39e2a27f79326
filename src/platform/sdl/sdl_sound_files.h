#pragma once

#include <filesystem>
#include <memory>

#include "sound/sound_output.h"

namespace tw {

// Reads a WAV file through SDL: PCM of 8 and 16 bits, mono or stereo, any
// common rate, and whatever else SDL reads. Throws Failure for a file that
// cannot be read as a sound.
std::shared_ptr<const WaveSound> read_wave_file(const std::filesystem::path& file);

class SdlSoundFiles : public SoundFiles {
 public:
  std::shared_ptr<const WaveSound> read_wave(const std::filesystem::path& file) override {
    return read_wave_file(file);
  }
};

}  // namespace tw
