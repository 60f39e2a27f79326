#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "sound/sound_output.h"

namespace tw {

// The mix the output produces; SDL converts it to whatever the device wants.
inline constexpr int kSoundOutputRate = 44100;
inline constexpr int kSoundOutputChannels = 2;

// Where Debian's General MIDI SoundFont packages put theirs.
std::vector<std::filesystem::path> default_system_soundfonts();

struct SoundOutputSetup {
  // Without a device the mix is only heard through render().
  bool open_device = true;
  // After this long without a sound the device is closed, so that a silent
  // game keeps no audio thread awake; the next sound opens it again.
  int close_when_silent_ms = 5000;
  // Tried after the game's own SoundFonts and those of SDL_SOUNDFONTS.
  std::vector<std::filesystem::path> system_soundfonts = default_system_soundfonts();
};

// The desktop's sound: one SDL audio device playing the mix of the MIDI
// song, rendered by FluidSynth in-process, and of any number of sound
// effects. The SoundFont is the first that loads of: the .sf2 and .sf3
// files of the game's midi folder in sorted order, the files SDL_SOUNDFONTS
// names (colon-separated), then the system ones. Without a SoundFont the
// music is silent; without a device everything is. Nothing here throws for
// missing sound, and no call waits longer than one callback's mixing.
class SdlSoundOutput : public SoundOutput {
 public:
  explicit SdlSoundOutput(const std::filesystem::path& game_folder, SoundOutputSetup setup = {});
  ~SdlSoundOutput() override;
  SdlSoundOutput(const SdlSoundOutput&) = delete;
  SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

  // One song plays at a time: a song started on another channel replaces
  // it. A channel's song or sound effect is replaced by whatever starts on
  // that channel next.
  void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>> smf) override;
  void play_wave(std::string_view channel, std::shared_ptr<const WaveSound> wave) override;
  void stop(std::string_view channel) override;
  // The gain is the square of the loudness, so that the volume's steps
  // sound even.
  void set_loudness(double loudness) override;

  // Writes the next `frames` frames of the mix, interleaved stereo at
  // sound_output_rate, and advances every channel by as much. The device
  // callback uses it too, so with a device open it takes sound away from
  // the player: it is meant for outputs opened without one.
  void render(float* out, int frames);

  // Whether the device is open: it is from the start, closes after a while
  // of silence and opens again when a sound starts.
  bool has_device() const;
  // The SoundFont the music uses, if one loaded.
  const std::optional<std::filesystem::path>& soundfont() const;

 private:
  struct Mixer;
  std::unique_ptr<Mixer> mixer_;
};

}  // namespace tw
