// The sound of a game: wave files read into samples, the output that mixes
// them with songs played by FluidSynth at the player's volume, its device
// that closes in silence, and the stand-in that keeps the game's commands
// while that output is set up.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/failure.h"
#include "platform/deferred_sound_output.h"
#include "platform/sdl/sdl_sound_files.h"
#include "platform/sdl/sdl_sound_output.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::read_bytes, test::third_party;
using namespace std::chrono_literals;

bool fails_cleanly(const fs::path& file) try {
  read_wave_file(file);
  return false;
} catch (const Failure& failure) {
  return std::string(failure.what()).starts_with("WAVファイルを読めません: " + file.string() + " (");
}

TEST(WaveFileTest, RealFilesLoadWithTheirLayoutOrFailCleanlyImaAdpcmLikeTheReferenceAndFourChannelsFold) {
  // Channels, rate and frames of some. Odd ones: RIFF size 36 (pop), block
  // alignment 0 (buzz), ending inside a frame (eof).
  std::map<std::string, std::array<int, 3>> layouts;
  std::istringstream table(
      "abe_bubble 1 44100 12648  abe_gem 1 11025 1702  sndhdr 2 44100 5  "
      "alsa-utils_Front_Center 1 48000 68545  bomberclone_explode 2 22050 44288  "
      "circuslinux_keypress 1 8363 2228  circuslinux_pop 1 22050 3985  circuslinux_splat 1 11025 3675  "
      "circuslinux_teeter1 2 22050 12736  circuslinux_wahoo 1 11025 6715  lmarbles_score 1 22050 576  "
      "lmarbles_select 1 22255 1335  tuxtype_buzz 1 11025 8374  tuxtype_tock 1 11025 1470  "
      "pluck-pcm8 2 11025 3307  pluck-pcm16 2 11025 3307  pluck-pcm24 2 11025 3307  "
      "pluck-pcm32 2 11025 3307  test-8000Hz-le-2ch-1byteu 2 8000 800  "
      "16bit-8kHz-1c-reaper-utf8cue 1 8000 9178  test-44100Hz-le-1ch-4bytes-early-eof 1 44100 236");
  for (std::string name; table >> name;) table >> layouts[name][0] >> layouts[name][1] >> layouts[name][2];
  const auto pluck = read_wave_file(third_party("wav/python-testsuite/pluck-pcm16.wav"));
  const std::string decoded = read_bytes(third_party("wav/wavefile/reference-decodes/ima22m.sox.s16le"));
  std::vector<float> ima;
  for (std::size_t i = 0; i + 1 < decoded.size(); i += 2)
    ima.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(decoded[i]) |
                                            static_cast<unsigned char>(decoded[i + 1]) << 8) /
                  32768.0f);
  std::size_t found = 0;
  for (const fs::path& file : test::third_party_files("wav", ".wav")) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    if (fails_cleanly(file)) {
      EXPECT_FALSE(layouts.contains(name));
      continue;
    }
    const auto sound = read_wave_file(file);  // if not, a Failure of the wrong message fails the test
    EXPECT_TRUE(sound->rate > 0 && (sound->channels == 1 || sound->channels == 2) &&
                std::ranges::all_of(sound->samples, [](float s) { return std::abs(s) <= 1.0f; }));
    EXPECT_TRUE(name != "ima22m" || sound->samples == ima);
    if (!layouts.contains(name)) continue;
    const auto [channels, rate, frames] = layouts.at(name);
    ++found;
    ASSERT_TRUE(sound->channels == channels && sound->rate == rate &&
                sound->samples.size() == 1u * frames * channels);
    EXPECT_NEAR(sound->duration_ms(), 1000.0 * frames / rate, 1e-6);
    // The copies of the pluck were dithered apart by up to 6.5 steps of 16 bits; a wrong scale is far more.
    for (std::size_t i = 0; name.starts_with("pluck-pcm") && i < sound->samples.size(); ++i)
      ASSERT_NEAR(sound->samples[i], pluck->samples[i], name == "pluck-pcm8" ? 2.0 / 128 : 16.0 / 32768) << i;
  }
  EXPECT_EQ(found, layouts.size());

  // More than two channels fold to stereo, and what is no sound is refused.
  const test::TestGame folder;
  const fs::path& temp = folder.root();
  const fs::path scratch = temp / "folded.wav";
  std::string bytes = read_bytes(third_party("wav/python-testsuite/pluck-pcm16.wav"));
  bytes[22] = 4, bytes[34] = 8;  // the same blocks as 8-bit samples of four channels
  std::ofstream(scratch, std::ios::binary) << bytes;
  const auto folded = read_wave_file(scratch);
  EXPECT_TRUE(folded->channels == 2 && folded->samples.size() == 2 * 3307u);
  fs::resize_file(scratch, (std::uintmax_t{64} << 20) + 1);  // sparse: costs no disk
  for (const fs::path& file :
       {scratch, temp, temp / "missing.wav", third_party("midi/jazz-soft/test-empty-file.mid"),
        third_party("midi/jazz-soft/test-c-major-scale.mid")})
    EXPECT_TRUE(fails_cleanly(file)) << file;
}

fs::path midi(const std::string& name) { return third_party("midi/" + name); }
const fs::path kSystemSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";
const SoundOutputSetup kNoDevice{.open_device = false};
auto song(const fs::path& file) {
  const std::string read = read_bytes(file);
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
  // Three broken files, silent but for an idle synth's effects; then three
  // FluidSynth would refuse but we accept.
  const char* files[] = {"empty-file",     "not-a-midi-file",     "corrupt-file-missing-byte",
                         "non-midi-track", "illegal-message-all", "running-status-metaevent"};
  for (std::size_t i = 0; i < std::size(files); ++i) {
    const std::string file = files[i];
    const bool heard = i >= 3;
    const auto begin = std::chrono::steady_clock::now();
    out.play_midi("midi", song(midi("jazz-soft/test-" + file + ".mid")));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500))
        << "waited for the device";
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
  // The volume scales the mix by its square; none mutes it.
  for (const auto& [loudness, level] : {std::pair{0.5, 0.2f}, {0.0, 0.0f}}) {
    out.set_loudness(loudness);
    out.play_wave("wav", wave(kSoundOutputRate, 2, {0.8f, 0.8f}, 64));
    EXPECT_FLOAT_EQ(render(out, 0.001)[5], level) << loudness;
  }
}

TEST_F(SdlSoundOutputTest, TheDeviceClosesAfterAWhileOfSilenceAndOpensForTheNextSound) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SdlSoundOutput out(game, {.close_when_silent_ms = 100, .system_soundfonts = {}});
  ASSERT_TRUE(out.has_device());
  out.play_wave("wave", wave(kSoundOutputRate, 2, {0.5f, 0.5f}, kSoundOutputRate / 2));
  EXPECT_TRUE(test::eventually([&] { return !out.has_device(); }, 10s))
      << "the half second sound, then silence";
  out.stop("wave");
  EXPECT_FALSE(out.has_device()) << "stopping is no sound";
  out.play_wave("wave", wave(kSoundOutputRate, 2, {0.5f, 0.5f}, 100));
  EXPECT_TRUE(out.has_device());
  EXPECT_TRUE(test::eventually([&] { return !out.has_device(); }, 10s));
}

TEST_F(SdlSoundOutputTest, AWaveStartedDuringMusicAddsToItAndStopSilencesOneSongAtATime) {
  SdlSoundOutput music(game, kNoDevice), both(game, kNoDevice);
  for (SdlSoundOutput* out : {&music, &both}) out->play_midi("midi", song(midi("planetblupi/music000.mid")));
  const std::vector<float> before = render(music, 1.0);
  EXPECT_TRUE(rms(before) > 0.005 && before == render(both, 1.0));  // a real piece, clearly heard
  WaveSound effect = *read_wave_file(third_party("wav/debian-games/abe_bubble.wav"));
  for (float& s : effect.samples) s /= 4;  // stays within full scale with the music
  both.play_wave("wav", std::make_shared<WaveSound>(effect));
  const std::vector<float> alone = render(music, 1.0), mixed = render(both, 1.0);
  for (std::size_t i = 0; i < alone.size(); ++i)
    ASSERT_NEAR(mixed[i] - alone[i], i / 2 < effect.samples.size() ? effect.samples[i / 2] : 0.0f, 1e-6) << i;

  SdlSoundOutput out(game, kNoDevice);
  out.play_midi("midi", scale());
  const std::vector<float> start = render(out, 1.5);
  out.play_midi("bgm", scale());  // from the start, replacing that of "midi"; traces of it stay, about -30 dB
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
  // Five in the game's folder, whose own order is then unlikely to be the sorted one.
  for (const auto& to : {listed, system, own / "b.sf2", own / "a.Sf3", own / "c.sf2", own / "d.SF2",
                         own / "e.sf3", own / "0.sf3.bak"})
    fs::create_symlink(font, to);
  const SoundOutputSetup setup{.open_device = false, .system_soundfonts = {system}};
  setenv("SDL_SOUNDFONTS", ("missing.sf2::" + listed.string() + ":" + system.string()).c_str(), 1);
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), own / "a.Sf3");
  fs::remove_all(own);
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), listed);
  unsetenv("SDL_SOUNDFONTS");
  EXPECT_EQ(SdlSoundOutput(game, setup).soundfont(), system);
}

// An output that writes down what it was told.
struct Recording : SoundOutput {
  explicit Recording(std::vector<std::string>& log) : log(log) {}
  void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>>) override {
    log.push_back("midi " + std::string(channel));
  }
  void play_wave(std::string_view channel, std::shared_ptr<const WaveSound>) override {
    log.push_back("wave " + std::string(channel));
  }
  void stop(std::string_view channel) override { log.push_back("stop " + std::string(channel)); }
  std::vector<std::string>& log;
};

// Commands wait for the output and pass on in order. One never started
// never sets up; one whose setup fails goes on in silence.
TEST(DeferredSoundOutput, KeepsCommandsUntilTheOutputIsReadyAndWithoutOneTheGameGoesOnQuietly) {
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
  bool set_up = false;
  DeferredSoundOutput([&] {
    set_up = true;
    return std::unique_ptr<SoundOutput>();
  }).play_wave("wav", nullptr);
  EXPECT_FALSE(set_up);
  DeferredSoundOutput failing([]() -> std::unique_ptr<SoundOutput> { throw std::runtime_error("no sound"); });
  failing.play_wave("wav", nullptr);
  failing.start();
  failing.wait_ready();
  failing.stop("wav");
}

}  // namespace
}  // namespace tw
