#include "platform/media/sdl_sound_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/media/wave_file.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using Song = std::shared_ptr<const std::vector<unsigned char>>;

const fs::path midi = fs::path(TALLOWIND_REALDATA) / "midi";
const fs::path scale = midi / "jazz-soft/test-c-major-scale.mid";  // 8 notes, 4.0 s
const fs::path system_soundfont = "/usr/share/sounds/sf2/default-GM.sf2";

Song song(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::make_shared<const std::vector<unsigned char>>(std::istreambuf_iterator<char>(in),
                                                            std::istreambuf_iterator<char>());
}

std::shared_ptr<const WaveSound> constant(int rate, int channels, std::size_t frames, std::vector<float> frame) {
  auto wave = std::make_shared<WaveSound>();
  wave->rate = rate;
  wave->channels = channels;
  for (std::size_t i = 0; i < frames; ++i) wave->samples.insert(wave->samples.end(), frame.begin(), frame.end());
  return wave;
}

double rms(std::span<const float> samples) {
  double sum = 0;
  for (const float s : samples) sum += double{s} * s;
  return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

float peak(std::span<const float> samples) {
  float most = 0;
  for (const float s : samples) most = std::max(most, std::abs(s));
  return most;
}

// How far `heard` is from `expected`, relative to the loudness of
// `expected`. FluidSynth starts a song at its next 64-frame block, so the
// best of those alignments counts. A used synth keeps the phase of its
// chorus and traces of the last song, about -30 dB; a later passage of the
// song is as loud as the song.
double deviation(std::span<const float> heard, std::span<const float> expected) {
  constexpr std::size_t block = 64 * sound_output_channels;
  double best = INFINITY;
  for (std::size_t shift = 0; shift < block; shift += sound_output_channels) {
    double sum = 0;
    for (std::size_t i = 0; i + shift < heard.size(); ++i) sum += std::pow(heard[i + shift] - expected[i], 2);
    best = std::min(best, sum);
  }
  return std::sqrt(best / heard.size()) / rms(expected);
}

// What FluidSynth's effects leave in an idle synth, -120 dB.
constexpr float inaudible = 1e-6f;

// Sets or clears an environment variable for one test.
class EnvironmentOverride {
 public:
  EnvironmentOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvironmentOverride() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SdlSoundOutputTest : public testing::Test {
 protected:
  SdlSoundOutputTest() : game(fs::path(testing::TempDir()) / ("tallowind-sound-" + std::to_string(getpid()))) {
    fs::create_directories(game);
  }
  ~SdlSoundOutputTest() override { fs::remove_all(game); }

  SdlSoundOutput& output(SoundOutputSetup setup = {.open_device = false}) {
    made = std::make_unique<SdlSoundOutput>(game, std::move(setup));
    return *made;
  }
  static std::vector<float> render(SdlSoundOutput& out, double seconds) {
    std::vector<float> mix(static_cast<std::size_t>(seconds * sound_output_rate) * sound_output_channels, 2.0f);
    out.render(mix.data(), static_cast<int>(mix.size() / sound_output_channels));
    return mix;
  }

  EnvironmentOverride no_listed_fonts{"SDL_SOUNDFONTS", nullptr};
  fs::path game;
  std::unique_ptr<SdlSoundOutput> made;
};

TEST_F(SdlSoundOutputTest, RealSongsAreHeardThroughTheSystemSoundFont) {
  SdlSoundOutput& out = output();
  ASSERT_EQ(out.soundfont(), system_soundfont) << "scripts/setup installs timgm6mb-soundfont";
  EXPECT_EQ(peak(render(out, 0.5)), 0.0f);  // nothing plays yet
  out.play_midi("midi", song(scale));
  const std::vector<float> notes = render(out, 3.0);
  EXPECT_GT(rms(notes), 0.005);
  EXPECT_LE(peak(notes), 1.0f);
  render(out, 1.5);  // the song lasts 4 s: rendered time is song time
  EXPECT_LT(rms(render(out, 0.5)), rms(notes) / 5);
  // Pieces, and files FluidSynth itself would refuse but the engine accepts.
  for (const char* file : {"planetblupi/music000.mid", "tonejs-piano-midi-de/bach_846.mid",
                           "jazz-soft/test-running-status-metaevent.mid", "jazz-soft/test-non-midi-track.mid",
                           "jazz-soft/test-illegal-message-all.mid"}) {
    out.play_midi("midi", song(midi / file));
    EXPECT_GT(rms(render(out, 2.0)), 0.002) << file;
  }
}

TEST_F(SdlSoundOutputTest, WavesAreResampledAndMixed) {
  SdlSoundOutput& out = output();
  // Mono at half our rate: twice as many frames, on both sides.
  out.play_wave("wav", constant(sound_output_rate / 2, 1, 100, {0.25f}));
  out.play_wave("click", constant(sound_output_rate, 2, 300, {0.5f, -0.5f}));
  std::vector<float> mix = render(out, 0.01);
  EXPECT_EQ(mix[0], 0.75f);
  EXPECT_EQ(mix[1], -0.25f);
  EXPECT_EQ(mix[2 * 199], 0.75f);
  EXPECT_EQ(mix[2 * 200], 0.5f);
  EXPECT_EQ(mix[2 * 300 + 1], 0.0f);
  // Between samples the value is interpolated; the last one holds.
  out.play_wave("wav", std::make_shared<WaveSound>(WaveSound{sound_output_rate / 4, 1, {0.0f, 0.4f, 0.8f}}));
  mix = render(out, 0.001);
  const float expected[] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.8f, 0.8f, 0.8f, 0.0f};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_NEAR(mix[2 * i], expected[i], 1e-6) << i;
  // Loud sounds together stay within full scale.
  out.play_wave("wav", constant(sound_output_rate, 1, 10, {0.75f}));
  out.play_wave("click", constant(sound_output_rate, 1, 10, {0.75f}));
  EXPECT_EQ(render(out, 0.001)[0], 1.0f);
}

TEST_F(SdlSoundOutputTest, AWaveStartedDuringMusicAddsToIt) {
  SdlSoundOutput& music = output();
  SdlSoundOutput both(game, {.open_device = false});
  for (SdlSoundOutput* out : {&music, &both}) out->play_midi("midi", song(scale));
  EXPECT_EQ(render(music, 1.0), render(both, 1.0));
  std::vector<float> tone(sound_output_rate / 2);
  for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = 0.25f * std::sin(i * 0.05f);
  both.play_wave("wav", std::make_shared<WaveSound>(WaveSound{sound_output_rate, 1, tone}));
  const std::vector<float> alone = render(music, 1.0);
  const std::vector<float> mixed = render(both, 1.0);
  for (std::size_t i = 0; i < tone.size(); ++i) ASSERT_NEAR(mixed[2 * i + 1] - alone[2 * i + 1], tone[i], 1e-6) << i;
  // A real effect read from its file raises the energy the same way.
  both.play_wave("wav", read_wave_file(fs::path(TALLOWIND_REALDATA) / "wav/debian-games/alsa-utils_Front_Center.wav"));
  EXPECT_GT(rms(render(both, 1.0)), 2 * rms(render(music, 1.0)));
}

TEST_F(SdlSoundOutputTest, RenderingInPiecesGivesTheSameMix) {
  SdlSoundOutput& whole = output();
  SdlSoundOutput pieces(game, {.open_device = false});
  const auto effect = read_wave_file(fs::path(TALLOWIND_REALDATA) / "wav/debian-games/circuslinux_keypress.wav");
  for (SdlSoundOutput* out : {&whole, &pieces}) {
    out->play_midi("midi", song(scale));
    out->play_wave("wav", effect);
  }
  const std::vector<float> expected = render(whole, 1.0);
  std::vector<float> mix(expected.size());
  constexpr std::size_t piece = 1000;  // no multiple of FluidSynth's blocks
  for (std::size_t at = 0; at < mix.size(); at += piece * sound_output_channels)
    pieces.render(mix.data() + at, static_cast<int>(std::min(piece, (mix.size() - at) / sound_output_channels)));
  EXPECT_EQ(mix, expected);
}

TEST_F(SdlSoundOutputTest, StopSilencesItsChannelAndPlayingAgainRestarts) {
  SdlSoundOutput& out = output();
  out.play_midi("midi", song(scale));
  const std::vector<float> start = render(out, 1.5);
  out.play_wave("wav", constant(sound_output_rate, 1, sound_output_rate, {0.125f}));
  out.stop("midi");
  std::vector<float> fading = render(out, 0.25);
  for (float& s : fading) s -= 0.125f;
  EXPECT_LT(peak(std::span(fading).subspan(2 * sound_output_rate / 100)), 1e-4);  // cut within 10 ms
  const std::vector<float> stopped = render(out, 0.25);
  EXPECT_TRUE(std::all_of(stopped.begin(), stopped.end(), [](float s) { return s == 0.125f; }));
  out.stop("wav");
  EXPECT_EQ(peak(render(out, 0.5)), 0.0f);

  out.play_midi("midi", song(scale));
  EXPECT_LT(deviation(render(out, 1.5), start), 0.1);
  out.play_midi("midi", song(scale));  // from the beginning again while it plays
  EXPECT_LT(deviation(render(out, 1.5), start), 0.1);
}

TEST_F(SdlSoundOutputTest, OneSongAtATimeAndAChannelPlaysOneThing) {
  SdlSoundOutput& out = output();
  SdlSoundOutput fresh(game, {.open_device = false});
  const Song piece = song(midi / "openmsx/the_fast_route.mid");
  fresh.play_midi("midi", piece);
  out.play_midi("midi", song(scale));
  render(out, 0.7);
  out.play_midi("bgm", piece);
  out.stop("midi");  // no longer the channel of the song
  EXPECT_LT(deviation(render(out, 1.0), render(fresh, 1.0)), 0.1);
  out.play_wave("bgm", constant(sound_output_rate, 1, sound_output_rate, {0.5f}));
  render(out, 0.25);  // the song's fade and its effects' tail
  const std::vector<float> wave = render(out, 0.5);
  EXPECT_TRUE(std::all_of(wave.begin(), wave.end(), [](float s) { return s == 0.5f; }));
}

TEST_F(SdlSoundOutputTest, UnplayableSongsAndSoundsAreSilent) {
  SdlSoundOutput& out = output();
  for (const char* file : {"test-empty-file.mid", "test-not-a-midi-file.mid", "test-corrupt-file-missing-byte.mid"}) {
    out.play_midi("midi", song(midi / "jazz-soft" / file));
    EXPECT_LT(peak(render(out, 0.5)), inaudible) << file;
  }
  out.play_midi("midi", nullptr);
  out.play_wave("wav", nullptr);
  out.play_wave("wav", std::make_shared<WaveSound>(WaveSound{0, 1, {0.5f}}));
  out.play_wave("click", std::make_shared<WaveSound>(WaveSound{44100, 2, {0.5f}}));
  EXPECT_LT(peak(render(out, 0.5)), inaudible);
  out.play_midi("midi", song(scale));  // and the next good song plays
  EXPECT_GT(rms(render(out, 1.0)), 0.005);
}

TEST_F(SdlSoundOutputTest, SoundFontSearchOrder) {
  // Names chosen so that sorting all of them together would give another order.
  const fs::path font = fs::canonical(system_soundfont);
  const fs::path listed = game / "A-listed.sf2";
  const fs::path system = game / "0-system.sf2";
  const fs::path fonts = game / "MIDI";  // games come from case-insensitive file systems
  fs::create_directories(fonts);
  std::ofstream(fonts / "0-broken.sf2") << "no SoundFont";
  for (const fs::path& link : {listed, system, fonts / "b.SF2", fonts / "a.sf3.bak"}) fs::create_symlink(font, link);
  const SoundOutputSetup setup{.open_device = false, .system_soundfonts = {system}};
  const EnvironmentOverride list("SDL_SOUNDFONTS", listed.c_str());

  EXPECT_EQ(output(setup).soundfont(), fonts / "b.SF2");
  fs::create_symlink(font, fonts / "a.Sf3");
  EXPECT_EQ(output(setup).soundfont(), fonts / "a.Sf3");
  fs::remove_all(fonts);
  EXPECT_EQ(output(setup).soundfont(), listed);
  const std::string with_gaps = (game / "missing.sf2").string() + "::" + system.string() + ":" + listed.string();
  const EnvironmentOverride gaps("SDL_SOUNDFONTS", with_gaps.c_str());
  EXPECT_EQ(output(setup).soundfont(), system);
  unsetenv("SDL_SOUNDFONTS");
  EXPECT_EQ(output(setup).soundfont(), system);
}

TEST_F(SdlSoundOutputTest, WithoutASoundFontMusicIsSilentAndWavesStillPlay) {
  SdlSoundOutput& out = output({.open_device = false, .system_soundfonts = {game / "default-GM.sf2"}});
  EXPECT_FALSE(out.soundfont());
  out.play_midi("midi", song(scale));
  EXPECT_EQ(peak(render(out, 1.0)), 0.0f);
  out.play_wave("wav", constant(sound_output_rate, 1, 100, {0.5f}));
  EXPECT_EQ(render(out, 0.01)[0], 0.5f);
  out.stop("midi");
}

TEST_F(SdlSoundOutputTest, ADeviceOpensWhereOneExistsAndIsNeverRequired) {
  {
    const EnvironmentOverride nowhere("SDL_AUDIODRIVER", "no-such-driver");
    SdlSoundOutput& out = output({});
    EXPECT_FALSE(out.has_device());
    out.play_midi("midi", song(scale));
    out.stop("midi");
  }
  const EnvironmentOverride dummy("SDL_AUDIODRIVER", "dummy");
  SdlSoundOutput& out = output({});
  EXPECT_TRUE(out.has_device());
  const auto begin = std::chrono::steady_clock::now();
  out.play_midi("midi", song(midi / "planetblupi/music000.mid"));
  out.play_wave("wav", constant(sound_output_rate, 1, 100, {0.5f}));
  out.stop("wav");
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
  EXPECT_GT(rms(render(out, 0.5)), 0.002);  // shares the mix with the device safely
  made.reset();  // closes while the device plays
}

}  // namespace
}  // namespace tw
