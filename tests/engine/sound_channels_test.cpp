// The engine's sound channels through the replay's trace: the exact command
// texts at their virtual times, the music repeat, the delayed sound effect
// and the continue mark.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

// A one-record game whose record names `music` and `effect`.
class SoundGame : public ::testing::Test {
 protected:
  void write(const std::u32string& music, const std::u32string& effect) {
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_lines("scene/scene1.gst",
                     {U"0", U"", U"END", U"", U"", effect, music, U"", U"", U"", U"", U""});
    fs::create_directories(game.root() / "midi");
    fs::create_directories(game.root() / "wave");
    fs::copy_file(third_party("midi/jazz-soft/test-c-major-scale.mid"),
                  game.root() / "midi/scale.mid");  // 4 s
    fs::copy_file(third_party("wav/debian-games/tuxtype_tock.wav"), game.root() / "wave/tock.wav");
  }
  std::string path(const std::string& inside) { return GameFolder(game.root()).spelled(from_utf8(inside)); }

  TestGame game;
};

TEST_F(SoundGame, StartsTheMusicAtThePresentationAndTheEffectOneSecondLaterOnlyOnce) {
  write(U"scale.mid", U"tock.wav");
  Engine engine(game);
  engine.start();
  const std::string expected =
      mci(0, "close midi", 263) +
      mci(0, "open \"" + path("\\midi\\scale.mid") + "\" type sequencer alias midi", 0) +
      mci(0, "play midi", 0) + mci(0, "status midi length", 0, "32") + mci(0, "close wav", 263);
  const Form1& form = engine.form();
  EXPECT_EQ(engine.trace(), expected);
  EXPECT_EQ(std::tuple(form.Midi_Length, form.Midi_Name, form.Wav_Request, form.Timer2.Interval),
            std::tuple(32, Text(U"scale.mid"), -1, 1000));
  engine.wait(3000);
  const std::string trace = engine.trace();
  const std::string effect = mci(1000, "close wav", 263) +
                             mci(1000, "open \"" + path("\\wave\\tock.wav") + "\"  alias wav", 0) +
                             mci(1000, "play wav", 0);
  EXPECT_NE(trace.find(effect), std::string::npos) << trace;
  EXPECT_EQ(trace.find("alias wav", trace.find(effect) + effect.size()), std::string::npos);
  EXPECT_EQ(std::tuple(form.Wav_Request, form.Timer2.Interval), std::tuple(0, 0));
}

TEST_F(SoundGame, ASecondPresentationWithinTheSecondTakesTheEffectsPlace) {
  write(U"", U"");
  game.write_lines("scene/scene1.gst",
                   TestGame::scene_of({{.wav = U"none.wav"}, {.wav = U"tock.wav"}, record(U"END")}));
  Engine engine(game);
  engine.start().wait(300).click(ControlId::image1).wait(2000);
  const std::string trace = engine.trace();
  EXPECT_EQ(trace.find("none.wav"), std::string::npos) << "the first record's effect never plays";
  EXPECT_EQ(trace.find("close midi"), std::string::npos)
      << "an empty music name equals the empty one playing";
  EXPECT_NE(trace.find(mci(1300, "open \"" + path("\\wave\\tock.wav") + "\"  alias wav", 0)),
            std::string::npos)
      << trace;
}

TEST_F(SoundGame, RepeatsTheSongOnTheFirstTickAtItsEndAndClosesEveryChannelWhenTheWindowCloses) {
  write(U"scale.mid", U"");
  Engine engine(game);
  engine.start().wait(4600).run(CloseCommand{});
  const std::string trace = engine.trace();
  EXPECT_NE(trace.find(mci(3500, "status midi position", 0, "28")), std::string::npos) << trace;
  EXPECT_NE(trace.find(mci(4000, "status midi position", 0, "32") + mci(4000, "close midi", 0)),
            std::string::npos);
  EXPECT_NE(trace.find(mci(4500, "status midi position", 0, "4")), std::string::npos)
      << "the song started again at 4000";
  EXPECT_TRUE(trace.ends_with(mci(4600, "close midi", 0) + mci(4600, "close wav", 263) +
                              mci(4600, "close Click", 263) + "{\"t\":4600,\"end\":\"closed\"}\n"));
}

TEST_F(SoundGame, AMissingSongStopsNothingAndIsNeverRepeated) {
  write(U"none.mid", U"");
  Engine engine(game);
  engine.start().wait(1000);
  const std::string trace = engine.trace();
  EXPECT_NE(trace.find(mci(0, "status midi length", 263)), std::string::npos) << trace;
  EXPECT_EQ(engine.form().Midi_Length, 0);
  EXPECT_NE(trace.find(mci(500, "status midi position", 263)), std::string::npos);
  EXPECT_EQ(trace.find("close midi", trace.find("\"t\":500")), std::string::npos);
  EXPECT_FALSE(engine.ended());
}

TEST_F(SoundGame, BlinksTheMarkOffButNotOnWhileTheTextIsRevealed) {
  write(U"", U"");
  Engine engine(game);
  Form1& form = engine.start().form();
  EXPECT_EQ(form.Message[4].Caption, U"▼");
  engine.wait(500);
  EXPECT_EQ(form.Message[4].Caption, U"");
  form.Text_Running = -1;
  engine.wait(500);
  EXPECT_EQ(form.Message[4].Caption, U"") << "the reveal keeps it off";
  form.Text_Running = 0;
  engine.wait(500);
  EXPECT_EQ(form.Message[4].Caption, U"▼");
}

}  // namespace
}  // namespace tw::test
