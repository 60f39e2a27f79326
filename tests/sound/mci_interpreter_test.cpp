// The media command interpreter on real files, in virtual time.
#include "sound/mci_interpreter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/headless_platform.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

// Remembers what the interpreter asked the sound device to do.
class RecordingOutput : public SoundOutput {
 public:
  void play_midi(std::string_view channel, std::shared_ptr<const std::vector<unsigned char>>) override {
    log += "midi:" + std::string(channel) + " ";
  }
  void play_wave(std::string_view channel, std::shared_ptr<const WaveSound>) override {
    log += "wave:" + std::string(channel) + " ";
  }
  void stop(std::string_view channel) override { log += "stop:" + std::string(channel) + " "; }
  std::string log;
};

class Interpreter : public ::testing::Test {
 protected:
  Interpreter() {
    fs::create_directories(game.root() / "midi");
    fs::create_directories(game.root() / "wave");
    fs::copy_file(third_party("midi/jazz-soft/test-c-major-scale.mid"), game.root() / "midi/Scale.MID");
    fs::copy_file(third_party("midi/tonejs-piano-midi-de/bach_846.mid"), game.root() / "midi/bach.mid");
    fs::copy_file(third_party("midi/jazz-soft/test-not-a-midi-file.mid"), game.root() / "midi/text.mid");
    fs::copy_file(third_party("wav/debian-games/tuxtype_tock.wav"), game.root() / "wave/tock.wav");
    fs::copy_file(third_party("wav/scipy/test-44100Hz-le-1ch-4bytes-incomplete-chunk.wav"),
                  game.root() / "wave/bad.wav");
  }

  MediaReply send(const std::u32string& command) { return media.send(command); }
  std::u32string path(const std::string& inside) {
    return from_utf8(GameFolder(game.root()).spelled(from_utf8(inside)));
  }
  unsigned open_music(const std::string& inside) {
    return send(U"open \"" + path(inside) + U"\" type sequencer alias midi").code;
  }

  TestGame game;
  GameFolder folder{game.root()};
  VirtualClock clock;
  RecordingOutput output;
  MciInterpreter media{folder, clock, shared_media().sounds, output};
};

TEST_F(Interpreter, ReportsMusicLengthAndPositionInSixteenthNotes) {
  ASSERT_EQ(open_music("\\midi\\scale.mid"), 0u) << "found whatever the letter case";
  // Eight quarter notes at 120 beats a minute: 32 sixteenths in 4 seconds.
  EXPECT_EQ(send(U"status midi length").reply, U"32");
  EXPECT_EQ(send(U"status midi position").reply, U"0");
  EXPECT_EQ(send(U"play midi").code, 0u);
  clock.set(1000);
  EXPECT_EQ(send(U"status MIDI position").reply, U"8");
  clock.set(60000);
  EXPECT_EQ(send(U"status midi position").reply, U"32") << "a finished song stays at its end";
  EXPECT_EQ(output.log, "midi:midi ");
}

TEST_F(Interpreter, FollowsTheTempoMapOfARealSong) {
  ASSERT_EQ(open_music("/midi/bach.mid"), 0u);
  const long length = std::stol(to_utf8(send(U"status midi length").reply));
  EXPECT_GT(length, 0);
  EXPECT_LE(length, 32767) << "a five-minute song fits 16 bits";
  send(U"play midi");
  clock.set(296670 + 100);
  EXPECT_EQ(send(U"status midi position").reply, send(U"status midi length").reply);
  clock.set(150000);
  const long halfway = std::stol(to_utf8(send(U"status midi position").reply));
  EXPECT_GT(halfway, 0);
  EXPECT_LT(halfway, length);
}

TEST_F(Interpreter, PlaysSoundEffectsBesideTheMusic) {
  ASSERT_EQ(open_music("/midi/scale.mid"), 0u);
  ASSERT_EQ(send(U"open \"" + path("/wave/tock.wav") + U"\"  alias wav").code, 0u);
  ASSERT_EQ(send(U"open \"" + path("/wave/tock.wav") + U"\"  alias Click").code, 0u);
  send(U"play midi");
  send(U"play wav");
  send(U"play click");
  EXPECT_EQ(send(U"close CLICK").code, 0u);
  EXPECT_EQ(output.log, "midi:midi wave:wav wave:click stop:click ");
}

TEST_F(Interpreter, RefusesWithADistinctCodeForEachCause) {
  struct Case {
    std::u32string command;
    unsigned code;
  };
  const std::vector<Case> cases = {
      {U"close midi", mci_code::kInvalidDeviceName},
      {U"play wav", mci_code::kInvalidDeviceName},
      {U"status midi position", mci_code::kInvalidDeviceName},
      {U"open \"" + path("/midi/none.mid") + U"\" type sequencer alias midi", mci_code::kFileNotFound},
      {U"open \"" + path("/midi/") + U"\" type sequencer alias midi", mci_code::kFileNotFound},
      {U"open \"" + path("/midi/../../etc/passwd") + U"\" alias midi", mci_code::kFileNotFound},
      {U"open \"/etc/passwd\"  alias wav", mci_code::kFileNotFound},
      {U"open \"" + path("/midi/text.mid") + U"\" type sequencer alias midi", mci_code::kInvalidFile},
      {U"open \"" + path("/wave/bad.wav") + U"\"  alias wav", mci_code::kInvalidFile},
      {U"open \"" + path("/wave/tock.wav") + U"\" type sequencer alias midi", mci_code::kInvalidFile},
      {U"pause midi", mci_code::kUnrecognizedCommand},
  };
  for (const Case& c : cases) EXPECT_EQ(send(c.command).code, c.code) << to_utf8(c.command);
  ASSERT_EQ(open_music("/midi/scale.mid"), 0u);
  EXPECT_EQ(open_music("/midi/scale.mid"), mci_code::kDuplicateAlias);
  EXPECT_EQ(send(U"close midi").code, 0u);
  EXPECT_EQ(send(U"play midi").code, mci_code::kInvalidDeviceName) << "closed channels are gone";
}

}  // namespace
}  // namespace tw::test
