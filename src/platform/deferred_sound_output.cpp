#include "platform/deferred_sound_output.h"

#include <string>
#include <utility>

namespace tw {

DeferredSoundOutput::DeferredSoundOutput(Setup setup) : setup_(std::move(setup)) {}

DeferredSoundOutput::~DeferredSoundOutput() { wait_ready(); }

void DeferredSoundOutput::start() {
  if (!setup_) return;
  setting_up_ = std::thread([this, setup = std::exchange(setup_, nullptr)] {
    std::unique_ptr<SoundOutput> made;
    try {
      made = setup();
    } catch (...) {
      // Sound never stops a game: it goes on in silence.
    }
    if (!made) made = std::make_unique<SilentOutput>();
    const std::lock_guard lock(mutex_);
    for (Command& command : waiting_) command(*made);
    waiting_.clear();
    output_ = std::move(made);
  });
}

void DeferredSoundOutput::wait_ready() {
  if (setting_up_.joinable()) setting_up_.join();
}

void DeferredSoundOutput::run(Command command) {
  const std::lock_guard lock(mutex_);
  if (output_) {
    command(*output_);
  } else {
    waiting_.push_back(std::move(command));
  }
}

void DeferredSoundOutput::play_midi(std::string_view channel,
                                    std::shared_ptr<const std::vector<unsigned char>> smf) {
  run([channel = std::string(channel), smf = std::move(smf)](SoundOutput& output) {
    output.play_midi(channel, smf);
  });
}

void DeferredSoundOutput::play_wave(std::string_view channel, std::shared_ptr<const WaveSound> wave) {
  run([channel = std::string(channel), wave = std::move(wave)](SoundOutput& output) {
    output.play_wave(channel, wave);
  });
}

void DeferredSoundOutput::stop(std::string_view channel) {
  run([channel = std::string(channel)](SoundOutput& output) { output.stop(channel); });
}

void DeferredSoundOutput::set_loudness(double loudness) {
  run([loudness](SoundOutput& output) { output.set_loudness(loudness); });
}

}  // namespace tw
