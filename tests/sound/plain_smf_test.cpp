#include "sound/plain_smf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/failure.h"
#include "sound/midi_song.h"
#include "support/inputs.h"

namespace tw {
namespace {

using Bytes = std::vector<unsigned char>;

// That FluidSynth plays the rewritten quirky files is checked by the sound
// output's tests; here the rewriting must keep what the engine reads.
TEST(PlainSmfTest, RealSongsKeepTheirTimingAndRefusedOnesStayAsTheyAre) {
  int rewritten = 0;
  for (const auto& file : test::third_party_files("midi", ".mid")) {
    SCOPED_TRACE(file.string());
    const std::string bytes = test::read_bytes(file);
    const Bytes original(bytes.begin(), bytes.end()), plain = plain_smf(original);
    Bytes rmid = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 1};
    rmid.insert(rmid.end(), original.begin(), original.end());  // its data chunk claims more than it holds
    try {
      const MidiSong song = MidiSong::parse(original), again = MidiSong::parse(plain);
      EXPECT_EQ(again.length_ticks(), song.length_ticks());
      EXPECT_EQ(again.duration_ms(), song.duration_ms());  // through the division and every tempo
      EXPECT_EQ(plain_smf(plain), plain);
      EXPECT_EQ(plain_smf(rmid), plain);  // the RMID wrapper is taken off
      rewritten += plain != original;
    } catch (const Failure&) {
      EXPECT_EQ(plain, original);
    }
  }
  EXPECT_GT(rewritten, 10);  // most use running status
}

}  // namespace
}  // namespace tw
