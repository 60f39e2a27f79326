// The engine's sound channels through the replay's trace: the exact command
// texts at their virtual times, the music repeat, the delayed sound effect
// and the continue mark.
#include <gtest/gtest.h>

#include <tuple>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

// A game of these records with a real song of 4 s and a real sound effect.
class SoundGame : public ::testing::Test {
 protected:
  Form1& start(const std::vector<Record>& records) {
    game.write_scene(records);
    game.write_bytes("midi/scale.mid", read_bytes(third_party("midi/jazz-soft/test-c-major-scale.mid")));
    game.write_bytes("wave/tock.wav", read_bytes(third_party("wav/debian-games/tuxtype_tock.wav")));
    return engine.start().form();
  }
  // The media command that opens this file of the game, as the trace shows it.
  std::string open(const std::string& inside, const std::string& rest) {
    return "open \"" + GameFolder(game.root()).spelled(from_utf8(inside)) + "\"" + rest;
  }

  TestGame game;
  Engine engine{game};
};

TEST_F(SoundGame, StartsTheMusicAtThePresentationAndTheEffectOneSecondLaterOnlyOnce) {
  const Form1& form = start({{.type = U"END", .wav = U"tock.wav", .midi = U"scale.mid"}});
  EXPECT_EQ(engine.trace(),
            mci(0, "close midi", 263) + mci(0, open("\\midi\\scale.mid", " type sequencer alias midi"), 0) +
                mci(0, "play midi", 0) + mci(0, "status midi length", 0, "32") + mci(0, "close wav", 263));
  EXPECT_EQ(std::tuple(form.Midi_Length, form.Midi_Name, form.Wav_Request, form.Timer2.Interval),
            std::tuple(32, Text(U"scale.mid"), -1, 1000));
  const std::string trace = engine.wait(3000).trace();
  const std::string effect = mci(1000, "close wav", 263) +
                             mci(1000, open("\\wave\\tock.wav", "  alias wav"), 0) + mci(1000, "play wav", 0);
  EXPECT_NE(trace.find(effect), std::string::npos) << trace;
  EXPECT_EQ(trace.find("alias wav", trace.find(effect) + effect.size()), std::string::npos);
  EXPECT_EQ(std::tuple(form.Wav_Request, form.Timer2.Interval), std::tuple(0, 0));
}

TEST_F(SoundGame, ASecondPresentationWithinTheSecondTakesTheEffectsPlace) {
  start({{.wav = U"none.wav"}, {.wav = U"tock.wav"}, record(U"END")});
  const std::string trace = engine.wait(300).click(ControlId::image1).wait(2000).trace();
  EXPECT_EQ(trace.find("none.wav"), std::string::npos) << "the first record's effect never plays";
  EXPECT_EQ(trace.find("close midi"), std::string::npos)
      << "an empty music name equals the empty one playing";
  EXPECT_NE(trace.find(mci(1300, open("\\wave\\tock.wav", "  alias wav"), 0)), std::string::npos) << trace;
}

TEST_F(SoundGame, RepeatsTheSongOnTheFirstTickAtItsEndAndClosesEveryChannelWhenTheWindowCloses) {
  start({{.type = U"END", .midi = U"scale.mid"}});
  const std::string trace = engine.wait(4600).run(CloseCommand{}).trace();
  EXPECT_NE(trace.find(mci(3500, "status midi position", 0, "28")), std::string::npos) << trace;
  EXPECT_NE(trace.find(mci(4000, "status midi position", 0, "32") + mci(4000, "close midi", 0)),
            std::string::npos);
  EXPECT_NE(trace.find(mci(4500, "status midi position", 0, "4")), std::string::npos)
      << "the song started again at 4000";
  EXPECT_TRUE(trace.ends_with(mci(4600, "close midi", 0) + mci(4600, "close wav", 263) +
                              mci(4600, "close Click", 263) + "{\"t\":4600,\"end\":\"closed\"}\n"));
}

// A song that does not open stops nothing and is never repeated; the mark
// blinks off, but not on while the text is being revealed.
TEST_F(SoundGame, AMissingSongIsNeverRepeatedAndTheMarkBlinksOnOnlyAfterTheReveal) {
  Form1& form = start({{.type = U"END", .midi = U"none.mid"}});
  EXPECT_EQ(std::tuple(form.Message[4].Caption, form.Midi_Length), std::tuple(Text(U"▼"), 0));
  EXPECT_EQ(engine.wait(500).form().Message[4].Caption, U"");
  form.Text_Running = -1;
  EXPECT_EQ(engine.wait(500).form().Message[4].Caption, U"") << "the reveal keeps it off";
  form.Text_Running = 0;
  EXPECT_EQ(engine.wait(500).form().Message[4].Caption, U"▼");
  const std::string trace = engine.trace();
  EXPECT_NE(trace.find(mci(0, "status midi length", 263)), std::string::npos) << trace;
  EXPECT_NE(trace.find(mci(500, "status midi position", 263)), std::string::npos);
  EXPECT_EQ(trace.find("close midi", trace.find("\"t\":500")), std::string::npos);
  EXPECT_FALSE(engine.ended());
}

}  // namespace
}  // namespace tw::test
