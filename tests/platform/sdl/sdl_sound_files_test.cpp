#include "platform/sdl/sdl_sound_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/failure.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

bool fails_cleanly(const fs::path& file) try {
  read_wave_file(file);
  return false;
} catch (const Failure& failure) {
  return std::string(failure.what()).starts_with("WAVファイルを読めません: " + file.string() + " (");
}

TEST(WaveFileTest, RealFilesLoadWithTheirLayoutOrFailCleanlyAndImaAdpcmLikeTheReference) {
  // Channels, rate, frames. Odd ones: RIFF size 36 (pop), block alignment 0 (buzz), ending inside a frame
  // (eof).
  const std::map<std::string, std::array<int, 3>> layouts = {
      {"abe_bubble", {1, 44100, 12648}},
      {"abe_gem", {1, 11025, 1702}},
      {"sndhdr", {2, 44100, 5}},
      {"alsa-utils_Front_Center", {1, 48000, 68545}},
      {"bomberclone_explode", {2, 22050, 44288}},
      {"circuslinux_keypress", {1, 8363, 2228}},
      {"circuslinux_pop", {1, 22050, 3985}},
      {"circuslinux_splat", {1, 11025, 3675}},
      {"circuslinux_teeter1", {2, 22050, 12736}},
      {"circuslinux_wahoo", {1, 11025, 6715}},
      {"lmarbles_score", {1, 22050, 576}},
      {"lmarbles_select", {1, 22255, 1335}},
      {"tuxtype_buzz", {1, 11025, 8374}},
      {"tuxtype_tock", {1, 11025, 1470}},
      {"pluck-pcm8", {2, 11025, 3307}},
      {"pluck-pcm16", {2, 11025, 3307}},
      {"pluck-pcm24", {2, 11025, 3307}},
      {"pluck-pcm32", {2, 11025, 3307}},
      {"test-8000Hz-le-2ch-1byteu", {2, 8000, 800}},
      {"16bit-8kHz-1c-reaper-utf8cue", {1, 8000, 9178}},
      {"test-44100Hz-le-1ch-4bytes-early-eof", {1, 44100, 236}}};
  const auto pluck = read_wave_file(test::third_party("wav/python-testsuite/pluck-pcm16.wav"));
  const std::string decoded =
      test::read_bytes(test::third_party("wav/wavefile/reference-decodes/ima22m.sox.s16le"));
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
}

TEST(WaveFileTest, MoreThanTwoChannelsFoldToStereoAndWhatIsNoSoundIsRefused) {
  const test::TestGame folder;
  const fs::path& temp = folder.root();
  const fs::path scratch = temp / "folded.wav";
  std::string bytes = test::read_bytes(test::third_party("wav/python-testsuite/pluck-pcm16.wav"));
  bytes[22] = 4, bytes[34] = 8;  // the same blocks as 8-bit samples of four channels
  std::ofstream(scratch, std::ios::binary) << bytes;
  const auto folded = read_wave_file(scratch);
  EXPECT_TRUE(folded->channels == 2 && folded->samples.size() == 2 * 3307u);
  fs::resize_file(scratch, (std::uintmax_t{64} << 20) + 1);  // sparse: costs no disk
  for (const fs::path& file :
       {scratch, temp, temp / "missing.wav", test::third_party("midi/jazz-soft/test-empty-file.mid"),
        test::third_party("midi/jazz-soft/test-c-major-scale.mid")})
    EXPECT_TRUE(fails_cleanly(file)) << file;
}

}  // namespace
}  // namespace tw
