#include "platform/media/wave_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "window/failure.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

const fs::path wavs = fs::path(TALLOWIND_REALDATA) / "wav";

std::string failure_of(const fs::path& file) {
  try {
    read_wave_file(file);
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "";
}

class WaveFileScratchTest : public testing::Test {
 protected:
  WaveFileScratchTest() : scratch(fs::path(testing::TempDir()) / ("tallowind-wave-" + std::to_string(getpid()))) {
    fs::create_directories(scratch);
  }
  ~WaveFileScratchTest() override { fs::remove_all(scratch); }

  // A canonical PCM file: RIFF, a 16-byte fmt chunk, data.
  fs::path write_wav(const std::string& name, int channels, int rate, int bits, const std::vector<unsigned char>& data) {
    std::string bytes;
    const auto put = [&bytes](std::uint32_t value, int count) {
      for (int i = 0; i < count; ++i) bytes += static_cast<char>(value >> (8 * i));
    };
    const int block = channels * bits / 8;
    bytes += "RIFF";
    put(36 + data.size(), 4);
    bytes += "WAVEfmt ";
    put(16, 4), put(1, 2), put(channels, 2), put(rate, 4), put(rate * block, 4), put(block, 2), put(bits, 2);
    bytes += "data";
    put(data.size(), 4);
    bytes.append(data.begin(), data.end());
    const fs::path file = scratch / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  fs::path scratch;
};

TEST(WaveFileTest, PcmFilesLoadWithTheirRateChannelsAndLength) {
  const struct {
    const char* file;
    int channels;
    int rate;
    std::size_t frames;
  } cases[] = {
      {"debian-games/abe_bubble.wav", 1, 44100, 12648},
      {"debian-games/abe_gem.wav", 1, 11025, 1702},
      {"debian-games/alsa-utils_Front_Center.wav", 1, 48000, 68545},
      {"debian-games/bomberclone_explode.wav", 2, 22050, 44288},
      {"debian-games/circuslinux_keypress.wav", 1, 8363, 2228},
      {"debian-games/circuslinux_pop.wav", 1, 22050, 3985},  // RIFF size 36
      {"debian-games/circuslinux_splat.wav", 1, 11025, 3675},
      {"debian-games/circuslinux_teeter1.wav", 2, 22050, 12736},
      {"debian-games/circuslinux_wahoo.wav", 1, 11025, 6715},
      {"debian-games/lmarbles_score.wav", 1, 22050, 576},
      {"debian-games/lmarbles_select.wav", 1, 22255, 1335},
      {"debian-games/tuxtype_buzz.wav", 1, 11025, 8374},  // block alignment 0
      {"debian-games/tuxtype_tock.wav", 1, 11025, 1470},
      {"python-testsuite/pluck-pcm8.wav", 2, 11025, 3307},
      {"python-testsuite/pluck-pcm16.wav", 2, 11025, 3307},
      {"python-testsuite/sndhdr.wav", 2, 44100, 5},
      {"scipy/test-8000Hz-le-2ch-1byteu.wav", 2, 8000, 800},
      {"wavefile/16bit-8kHz-1c-reaper-utf8cue.wav", 1, 8000, 9178},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto sound = read_wave_file(wavs / c.file);
    EXPECT_EQ(sound->channels, c.channels);
    EXPECT_EQ(sound->rate, c.rate);
    EXPECT_EQ(sound->samples.size(), c.frames * c.channels);
    EXPECT_NEAR(sound->duration_ms(), 1000.0 * c.frames / c.rate, 1e-6);
  }
}

TEST(WaveFileTest, BitDepthsOfOneSoundAgree) {
  const auto pcm16 = read_wave_file(wavs / "python-testsuite/pluck-pcm16.wav");
  double energy = 0;
  for (const char* other : {"pluck-pcm8.wav", "pluck-pcm24.wav", "pluck-pcm32.wav"}) {
    const auto sound = read_wave_file(wavs / "python-testsuite" / other);
    ASSERT_EQ(sound->samples.size(), pcm16->samples.size()) << other;
    // The copies were dithered separately (up to 6.5 steps of 16 bits
    // apart); a wrong sign, offset, scale or byte order is far beyond this.
    const double step = std::string(other) == "pluck-pcm8.wav" ? 2.0 / 128 : 16.0 / 32768;
    for (std::size_t i = 0; i < sound->samples.size(); ++i) {
      ASSERT_NEAR(sound->samples[i], pcm16->samples[i], step) << other << " sample " << i;
      energy += pcm16->samples[i] * pcm16->samples[i];
    }
  }
  EXPECT_GT(energy, 1.0);  // the pluck is no silence that agrees trivially
}

TEST(WaveFileTest, ImaAdpcmDecodesExactlyLikeTheReference) {
  for (const char* name :
       {"4-bit-imaadpcm-8kHz-noBext-mono-reaper", "ima22m", "4bit-imaadpcm-8kHz-noBext-mono"}) {
    SCOPED_TRACE(name);
    const auto sound = read_wave_file(wavs / "wavefile" / (std::string(name) + ".wav"));
    std::ifstream in(wavs / "wavefile/reference-decodes" / (std::string(name) + ".sox.s16le"), std::ios::binary);
    std::vector<float> reference;
    for (unsigned char pair[2]; in.read(reinterpret_cast<char*>(pair), 2);)
      reference.push_back(static_cast<std::int16_t>(pair[0] | pair[1] << 8) / 32768.0f);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(sound->samples, reference);
  }
}

TEST(WaveFileTest, EveryRealFileLoadsOrFailsCleanly) {
  for (const auto& entry : fs::recursive_directory_iterator(wavs)) {
    if (entry.path().extension() != ".wav") continue;
    SCOPED_TRACE(entry.path().string());
    try {
      const auto sound = read_wave_file(entry.path());
      EXPECT_TRUE(sound->channels == 1 || sound->channels == 2);
      EXPECT_GT(sound->rate, 0);
      EXPECT_EQ(sound->samples.size() % sound->channels, 0u);
      for (const float sample : sound->samples) ASSERT_TRUE(std::abs(sample) <= 1.0f);
    } catch (const Failure& failure) {
      EXPECT_EQ(std::string(failure.what()).rfind("WAVファイルを読めません: " + entry.path().string() + " (", 0), 0u);
    }
  }
  // A truncated file keeps the whole frames that are there.
  EXPECT_EQ(read_wave_file(wavs / "scipy/test-44100Hz-le-1ch-4bytes-early-eof.wav")->samples.size(), 944u / 4);
}

TEST_F(WaveFileScratchTest, SamplesScaleToPlusMinusOne) {
  const auto eight = read_wave_file(write_wav("u8.wav", 1, 8000, 8, {0, 128, 255, 64}));
  EXPECT_EQ(eight->samples, (std::vector<float>{-1.0f, 0.0f, 127 / 128.0f, -0.5f}));
  const auto sixteen = read_wave_file(write_wav("s16.wav", 2, 8000, 16, {0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40, 0x00, 0x00}));
  EXPECT_EQ(sixteen->samples, (std::vector<float>{-1.0f, 32767 / 32768.0f, 0.5f, 0.0f}));
}

TEST_F(WaveFileScratchTest, MoreThanTwoChannelsFoldToStereo) {
  for (const int channels : {4, 6}) {
    std::vector<unsigned char> data(static_cast<std::size_t>(channels) * 2 * 100, 0x10);
    const auto sound = read_wave_file(write_wav("multi.wav", channels, 22050, 16, data));
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->rate, 22050);
    EXPECT_EQ(sound->samples.size(), 200u);
  }
}

TEST_F(WaveFileScratchTest, RefusesWhatIsNoReadableSound) {
  const fs::path large = scratch / "large.wav";
  std::ofstream(large) << "RIFF";
  fs::resize_file(large, (std::uintmax_t{64} << 20) + 1);  // sparse: costs no disk
  std::ofstream(scratch / "empty.wav").flush();
  for (const fs::path& file : {scratch / "missing.wav", scratch, large, scratch / "empty.wav",
                               fs::path(TALLOWIND_REALDATA) / "midi/jazz-soft/test-c-major-scale.mid"}) {
    EXPECT_EQ(failure_of(file).rfind("WAVファイルを読めません: " + file.string() + " (", 0), 0u) << file;
  }
}

}  // namespace
}  // namespace tw
