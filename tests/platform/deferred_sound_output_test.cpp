#include "platform/deferred_sound_output.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

namespace tw {
namespace {

// An output that writes down what it was told.
class Recording : public SoundOutput {
 public:
  explicit Recording(std::vector<std::string>& log) : log_(log) {}
  void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>>) override {
    log_.push_back("midi " + std::string(channel));
  }
  void play_wave(std::string_view channel, std::shared_ptr<const WaveSound>) override {
    log_.push_back("wave " + std::string(channel));
  }
  void stop(std::string_view channel) override { log_.push_back("stop " + std::string(channel)); }

 private:
  std::vector<std::string>& log_;
};

TEST(DeferredSoundOutput, KeepsCommandsUntilTheOutputIsReadyThenPassesThemOnInOrder) {
  std::vector<std::string> log;
  std::promise<void> go;
  std::shared_future<void> ready = go.get_future().share();
  DeferredSoundOutput sound([&] {
    ready.wait();
    return std::make_unique<Recording>(log);
  });
  sound.stop("midi");
  sound.play_midi("midi", nullptr);
  sound.start();
  sound.play_wave("wav", nullptr);
  sound.start();
  EXPECT_TRUE(log.empty());
  go.set_value();
  sound.wait_ready();
  sound.stop("wav");
  EXPECT_EQ(log, (std::vector<std::string>{"stop midi", "midi midi", "wave wav", "stop wav"}));
}

// One never started never sets up; one whose setup fails goes on in silence.
TEST(DeferredSoundOutput, WithoutAnOutputTheGameGoesOnQuietly) {
  bool set_up = false;
  {
    DeferredSoundOutput never([&] {
      set_up = true;
      return std::unique_ptr<SoundOutput>();
    });
    never.play_wave("wav", nullptr);
  }
  EXPECT_FALSE(set_up);
  DeferredSoundOutput failing([]() -> std::unique_ptr<SoundOutput> { throw std::runtime_error("no sound"); });
  failing.play_wave("wav", nullptr);
  failing.start();
  failing.wait_ready();
  failing.stop("wav");
}

}  // namespace
}  // namespace tw
