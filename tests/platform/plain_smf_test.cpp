#include "platform/media/plain_smf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "sound/midi_song.h"
#include "window/failure.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const fs::path midi = fs::path(TALLOWIND_REALDATA) / "midi";

Bytes read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// That FluidSynth plays the rewritten quirky files is checked by the sound
// output's tests; here the rewriting must keep what the engine reads.
TEST(PlainSmfTest, RealSongsKeepTheirTimingAndRefusedOnesStayAsTheyAre) {
  int rewritten = 0;
  for (const auto& entry : fs::recursive_directory_iterator(midi)) {
    if (entry.path().extension() != ".mid") continue;
    SCOPED_TRACE(entry.path().string());
    const Bytes original = read_bytes(entry.path());
    const Bytes plain = plain_smf(original);
    try {
      const MidiSong song = MidiSong::parse(original);
      const MidiSong again = MidiSong::parse(plain);
      EXPECT_EQ(again.length_ticks(), song.length_ticks());
      EXPECT_EQ(again.duration_ms(), song.duration_ms());
      EXPECT_EQ(again.division(), song.division());
      EXPECT_EQ(plain_smf(plain), plain);
      rewritten += plain != original;
    } catch (const Failure&) {
      EXPECT_EQ(plain, original);
    }
  }
  EXPECT_GT(rewritten, 10);  // most use running status
}

TEST(PlainSmfTest, RmidIsUnwrapped) {
  const Bytes smf = read_bytes(midi / "jazz-soft/test-c-major-scale.mid");
  Bytes rmid = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
  for (int i = 0; i < 4; ++i) rmid.push_back(static_cast<unsigned char>(smf.size() >> (8 * i)));
  rmid.insert(rmid.end(), smf.begin(), smf.end());
  EXPECT_EQ(plain_smf(rmid), plain_smf(smf));
}

}  // namespace
}  // namespace tw
