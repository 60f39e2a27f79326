#include "platform/sdl/sdl_sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sdl/sdl_sound_files.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
fs::path midi(const std::string& name) { return test::third_party("midi/" + name); }
const fs::path kSystemSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";
const SoundOutputSetup kNoDevice{.open_device = false};
auto song(const fs::path& file) {
  const std::string read = test::read_bytes(file);
  return std::make_shared<std::vector<unsigned char>>(read.begin(), read.end());
}
auto scale() { return song(midi("jazz-soft/test-c-major-scale.mid")); }
std::shared_ptr<const WaveSound> wave(int rate, int channels, std::vector<float> frame,
                                      std::size_t times = 1) {
  auto made = std::make_shared<WaveSound>(WaveSound{rate, channels, {}});
  for (; times > 0; --times) made->samples.insert(made->samples.end(), frame.begin(), frame.end());
  return made;
}
// In whole 64-frame blocks of FluidSynth, where songs start, and in pieces that are not.
std::vector<float> render(SdlSoundOutput& out, double seconds) {
  const int frames = (static_cast<int>(seconds * kSoundOutputRate) + 63) / 64 * 64, piece = 1000;
  std::vector<float> mix(frames * kSoundOutputChannels, 2.0f);
  for (int at = 0; at < frames; at += piece)
    out.render(&mix[at * kSoundOutputChannels], std::min(piece, frames - at));
  return mix;
}
double rms(std::span<const float> samples, std::span<const float> minus = {}) {
  double sum = 0;
  for (std::size_t i = 0; i < samples.size(); ++i)
    sum += std::pow(samples[i] - (minus.empty() ? 0 : minus[i]), 2);
  return std::sqrt(sum / samples.size());
}
float peak(std::span<const float> samples, float around = 0, std::size_t from = 0) {
  float most = 0;
  for (const float s : samples.subspan(from)) most = std::max(most, std::abs(s - around));
  return most;
}
struct SavedVariable {  // of the environment, restored after the test
  const char* name;
  std::optional<std::string> old = std::getenv(name) ? std::getenv(name) : std::optional<std::string>();
  ~SavedVariable() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
};
class SdlSoundOutputTest : public testing::Test {
 protected:
  SdlSoundOutputTest() { unsetenv("SDL_SOUNDFONTS"); }
  SavedVariable fonts{"SDL_SOUNDFONTS"}, driver{"SDL_AUDIODRIVER"};
  test::TestGame folder;
  const fs::path game = folder.root();
};

TEST_F(SdlSoundOutputTest, SongsAreHeardThroughTheSystemSoundFontUnlessBroken) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SdlSoundOutput out(game);  // whose device takes its share of the mix, and which closes while it plays
  ASSERT_TRUE(out.soundfont() == kSystemSoundfont && out.has_device())
      << "scripts/setup installs timgm6mb-soundfont";
  out.play_midi("midi", nullptr);
  // Broken files first, silent but for an idle synth's effects; then files FluidSynth would refuse but we
  // accept.
  for (const auto& [file, heard] : {std::pair{"empty-file", false},
                                    {"not-a-midi-file", false},
                                    {"corrupt-file-missing-byte", false},
                                    {"running-status-metaevent", true},
                                    {"non-midi-track", true},
                                    {"illegal-message-all", true}}) {
    const auto begin = std::chrono::steady_clock::now();
    out.play_midi("midi", song(midi("jazz-soft/test-" + std::string(file) + ".mid")));
    EXPECT_LT(std::chrono::steady_clock::now() - begin,
              std::chrono::milliseconds(500));  // never waits for the device
    EXPECT_TRUE(heard ? rms(render(out, 1.0)) > 0.005 : peak(render(out, 1.0)) < 1e-6f) << file;
  }
}

TEST_F(SdlSoundOutputTest, WithoutSoundFontOrDeviceWavesAreResampledAndMixedWithinFullScale) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlSoundOutput out(game, {.system_soundfonts = {game / "default-GM.sf2"}});
  EXPECT_FALSE(out.soundfont() || out.has_device());
  out.play_midi("midi", scale());
  out.play_wave("wav", wave(kSoundOutputRate / 4, 1, {0.0f, 0.4f, 0.8f}));
  out.play_wave("click", wave(kSoundOutputRate, 2, {0.5f, -0.5f}, 20));
  for (const auto& [channel, pop] : {std::pair{"pop", wave(kSoundOutputRate, 1, {1.0f}, 100)},
                                     {"pop", nullptr},
                                     {"rate", wave(0, 1, {0.5f})},
                                     {"channels", wave(44100, 0, {0.5f})}})
    out.play_wave(channel, pop);  // the first replaced by nothing, the others unplayable
  const std::vector<float> mix = render(out, 0.01);
  const float wav[] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.8f, 0.8f, 0.8f, 0.0f};
  for (std::size_t i = 0; i < std::size(wav); ++i) {
    EXPECT_NEAR(mix[2 * i], std::min(wav[i] + 0.5f, 1.0f), 1e-6) << i;
    EXPECT_NEAR(mix[2 * i + 1], wav[i] - 0.5f, 1e-6) << i;
  }
  EXPECT_EQ(peak(mix, 0, 2 * 20), 0.0f);
}

TEST_F(SdlSoundOutputTest, AWaveStartedDuringMusicAddsToIt) {
  SdlSoundOutput music(game, kNoDevice), both(game, kNoDevice);
  for (SdlSoundOutput* out : {&music, &both}) out->play_midi("midi", song(midi("planetblupi/music000.mid")));
  const std::vector<float> before = render(music, 1.0);
  EXPECT_TRUE(rms(before) > 0.005 && before == render(both, 1.0));  // a real piece, clearly heard
  WaveSound effect = *read_wave_file(test::third_party("wav/debian-games/abe_bubble.wav"));
  for (float& s : effect.samples) s /= 4;  // stays within full scale with the music
  both.play_wave("wav", std::make_shared<WaveSound>(effect));
  const std::vector<float> alone = render(music, 1.0), mixed = render(both, 1.0);
  for (std::size_t i = 0; i < alone.size(); ++i)
    ASSERT_NEAR(mixed[i] - alone[i], i / 2 < effect.samples.size() ? effect.samples[i / 2] : 0.0f, 1e-6) << i;
}

TEST_F(SdlSoundOutputTest, StopSilencesAndPlayingAgainRestartsOneSongAtATime) {
  SdlSoundOutput out(game, kNoDevice);
  out.play_midi("midi", scale());
  const std::vector<float> start = render(out, 1.5);
  out.play_midi("bgm",
                scale());  // from the start, replacing that of "midi"; traces of it stay, about -30 dB
  out.stop("midi");
  EXPECT_LT(rms(render(out, 1.5), start), rms(start) / 10);
  out.play_wave("wav", wave(kSoundOutputRate, 1, {0.125f}, kSoundOutputRate));
  out.stop("bgm");
  EXPECT_LT(peak(render(out, 0.25), 0.125f, 2 * kSoundOutputRate / 100), 1e-3);  // cut within 10 ms
  EXPECT_EQ(peak(render(out, 0.25), 0.125f), 0.0f);
  out.play_midi("wav", scale());  // replaces the sound on that channel
  EXPECT_LT(rms(render(out, 1.5), start), rms(start) / 10);
  render(out, 2.5);  // the song lasts 4 s: rendered time is song time
  EXPECT_LT(rms(render(out, 0.5)), rms(start) / 5);
  out.stop("wav");
  render(out, 0.25);  // the tail of the effects
  EXPECT_EQ(peak(render(out, 0.5)), 0.0f);
}

TEST_F(SdlSoundOutputTest, SoundFontsOfTheGameInSortedOrderThenThoseListedThenTheSystems) {
  const fs::path font = fs::canonical(kSystemSoundfont), own = game / "MIDI";  // any case, as on Windows
  const fs::path listed = game / "A-listed.sf2",
                 system = game / "0-system.sf2";  // not sorted with the others
  fs::create_directories(own);
  std::ofstream(own / "0-broken.sf2") << "no SoundFont";
  for (const auto& to : {listed, system, own / "b.sf2", own / "a.Sf3", own / "0.sf3.bak"})
    fs::create_symlink(font, to);
  const SoundOutputSetup setup{.open_device = false, .system_soundfonts = {system}};
  setenv("SDL_SOUNDFONTS", ("missing.sf2::" + listed.string() + ":" + system.string()).c_str(), 1);
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), own / "a.Sf3");
  fs::remove_all(own);
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), listed);
  unsetenv("SDL_SOUNDFONTS");
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), system);
}

}  // namespace
}  // namespace tw
