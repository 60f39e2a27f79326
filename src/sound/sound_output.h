#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace tw {

// A sound effect decoded for mixing: interleaved float samples in -1..1.
struct WaveSound {
  int rate = 44100;
  int channels = 2;
  std::vector<float> samples;

  double duration_ms() const {
    if (samples.empty()) return 0.0;
    const std::size_t whole_frames = samples.size() / channels;  // a cut last frame does not sound
    return 1000.0 * double(whole_frames) / rate;
  }
};

// Where the media channels' sound goes. The command interpreter decides what
// plays on which channel and when; an output only makes it heard. Every
// call returns at once; a missing sound device makes an output silent, never
// a failure.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Starts a Standard MIDI File from its beginning on `channel`, replacing
  // whatever the channel played.
  virtual void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>> smf) = 0;
  // Starts a sound effect from its beginning on `channel`, the same way.
  virtual void play_wave(std::string_view channel, std::shared_ptr<const WaveSound> wave) = 0;
  // Silences `channel`.
  virtual void stop(std::string_view channel) = 0;
  // How loud every channel plays from now on: 0 silent to 1 as the files are.
  virtual void set_loudness(double loudness) { static_cast<void>(loudness); }
};

// Reads sound effect files. Throws Failure for a file that is not a sound.
class SoundFiles {
 public:
  virtual ~SoundFiles() = default;
  virtual std::shared_ptr<const WaveSound> read_wave(const std::filesystem::path& file) = 0;
};

// The output of the replay: nothing is heard.
class SilentOutput : public SoundOutput {
 public:
  void play_midi(std::string_view, std::shared_ptr<const std::vector<unsigned char>>) override {}
  void play_wave(std::string_view, std::shared_ptr<const WaveSound>) override {}
  void stop(std::string_view) override {}
};

}  // namespace tw
