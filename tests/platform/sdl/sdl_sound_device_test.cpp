// The volume's gain on the mix, and the device that closes in silence and
// opens again for the next sound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/sdl/sdl_sound_output.h"
#include "support/test_game.h"

namespace tw {
namespace {

std::shared_ptr<const WaveSound> steady(float level, std::size_t frames) {
  return std::make_shared<WaveSound>(WaveSound{kSoundOutputRate, 2, std::vector<float>(frames * 2, level)});
}

template <class Condition>
bool within_seconds(int seconds, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(SdlSoundDevice, TheVolumeScalesTheMixByItsSquare) {
  test::TestGame folder;
  SdlSoundOutput out(folder.root(), {.open_device = false, .system_soundfonts = {}});
  out.play_wave("wave", steady(0.8f, 64));
  out.set_loudness(0.5);
  std::vector<float> mix(64 * 2);
  out.render(mix.data(), 64);
  EXPECT_FLOAT_EQ(mix[0], 0.2f);
  out.set_loudness(0.0);
  out.play_wave("wave", steady(0.8f, 64));
  out.render(mix.data(), 64);
  EXPECT_FLOAT_EQ(mix[5], 0.0f) << "muted";
}

TEST(SdlSoundDevice, ClosesAfterAWhileOfSilenceAndOpensForTheNextSound) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  test::TestGame folder;
  SdlSoundOutput out(folder.root(),
                     {.open_device = true, .close_when_silent_ms = 100, .system_soundfonts = {}});
  ASSERT_TRUE(out.has_device());
  out.play_wave("wave", steady(0.5f, kSoundOutputRate / 2));
  EXPECT_TRUE(within_seconds(10, [&] { return !out.has_device(); })) << "the half second sound, then silence";
  out.stop("wave");
  EXPECT_FALSE(out.has_device()) << "stopping is no sound";
  out.play_wave("wave", steady(0.5f, 100));
  EXPECT_TRUE(out.has_device());
  EXPECT_TRUE(within_seconds(10, [&] { return !out.has_device(); }));
}

}  // namespace
}  // namespace tw
