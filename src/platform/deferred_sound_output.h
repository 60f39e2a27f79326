#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/sound_output.h"

namespace tw {

// Sets the sound up on a thread of its own, so that the game goes on while
// the audio device opens and the SoundFont loads, which takes a few hundred
// milliseconds on some machines. Commands that come before it is ready are
// kept and carried out, in order, as soon as it is; a sound started then is
// heard that much later.
class DeferredSoundOutput : public SoundOutput {
 public:
  using Setup = std::function<std::unique_ptr<SoundOutput>()>;

  explicit DeferredSoundOutput(Setup setup);
  ~DeferredSoundOutput() override;  // waits for a started setup to end
  DeferredSoundOutput(const DeferredSoundOutput&) = delete;
  DeferredSoundOutput& operator=(const DeferredSoundOutput&) = delete;

  void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>> smf) override;
  void play_wave(std::string_view channel, std::shared_ptr<const WaveSound> wave) override;
  void stop(std::string_view channel) override;
  void set_loudness(double loudness) override;

  // Begins the setup; the second call does nothing.
  void start();
  // Waits until a started setup has ended; for tests.
  void wait_ready();

 private:
  using Command = std::function<void(SoundOutput&)>;
  void run(Command command);

  std::mutex mutex_;
  std::unique_ptr<SoundOutput> output_;  // once set up
  std::vector<Command> waiting_;
  Setup setup_;
  std::thread setting_up_;
};

}  // namespace tw
