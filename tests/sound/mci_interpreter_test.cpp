// The media commands read and carried out on real files, in virtual time.
#include "sound/mci_interpreter.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "support/inputs.h"
#include "support/test_game.h"  // for the shared sound files

namespace tw::test {
namespace {

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

// The third-party files serve as the game folder.
class Interpreter : public ::testing::Test {
 protected:
  MediaReply send(const std::u32string& command) { return media.send(command); }
  std::u32string reply(const std::u32string& command) { return send(command).reply; }
  // An open command of a file inside the folder, its path spelled as the engine spells it.
  std::u32string open(const std::string& inside, const std::u32string& rest) {
    return U"open \"" + from_utf8(folder.spelled(from_utf8(inside))) + U"\" " + rest;
  }

  GameFolder folder{third_party("")};
  VirtualClock clock;
  RecordingOutput output;
  MciInterpreter media{folder, clock, shared_assets().sounds, output};
};

constexpr char kScale[] = "/midi/jazz-soft/test-c-major-scale.mid";
constexpr char kTock[] = "/wav/debian-games/tuxtype_tock.wav";

// One channel per alias, whatever its letter case; songs report in sixteenth
// notes, sound effects in milliseconds.
TEST_F(Interpreter, KeepsAChannelPerAliasAndReportsItsLengthAndPosition) {
  ASSERT_EQ(send(open("\\MIDI\\Jazz-Soft\\Test-C-Major-Scale.mid", U"alias Midi")).code, 0u)
      << "any letter case, no device type";
  ASSERT_EQ(send(open(kTock, U" alias wav")).code, 0u);
  EXPECT_EQ(send(open(kTock, U"alias WAV")).code, mci_code::kDuplicateAlias);
  // Eight quarter notes at 120 beats a minute: 32 sixteenths in 4 seconds; 1470 frames at 11025 Hz.
  EXPECT_EQ(reply(U"status midi length"), U"32");
  EXPECT_EQ(reply(U"status wav length"), U"133");
  clock.set(1000);
  EXPECT_EQ(reply(U"status midi position"), U"0") << "not played yet";
  EXPECT_EQ(send(U"play midi").code, 0u);
  clock.set(2000);
  EXPECT_EQ(send(U"PLAY  Midi ").code, 0u) << "blanks and letter case do not matter";
  send(U"play wav");
  EXPECT_EQ(reply(U"Status midi Position"), U"8") << "playing again did not start it again";
  clock.set(2050);
  EXPECT_EQ(reply(U"status wav position"), U"50");
  clock.set(60000);
  EXPECT_EQ(reply(U"status midi position"), U"32") << "a finished song stays at its end";
  EXPECT_EQ(reply(U"status wav position"), U"133");
  EXPECT_EQ(send(U"close WAV").code, 0u);
  EXPECT_EQ(send(U"play Wav").code, mci_code::kInvalidDeviceName) << "closed channels are gone";
  EXPECT_EQ(output.log, "midi:midi wave:wav stop:wav ");
}

TEST_F(Interpreter, RefusesWithADistinctCodeForEachCause) {
  using namespace mci_code;
  const std::u32string song = open(kScale, U"");
  const std::pair<unsigned, std::vector<std::u32string>> cases[] = {
      {kMissingCommandString, {U"", U"   "}},
      {kUnrecognizedCommand, {U"seek midi to start"}},
      {kUnrecognizedKeyword,
       {U"open /g/a.mid alias midi", U"open \"/g/a.mid alias midi", U"open \"/g/a.mid\"alias midi",
        song + U"type waveaudio alias w", song + U"alias", song + U"as midi", song + U"sequencer alias midi",
        U"play", U"play midi from 0", U"status midi mode", U"status midi", U"status midi length now"}},
      {kInvalidDeviceName, {U"close midi", U"play wav", U"status midi position"}},
      {kFileNotFound,
       {U"open \"\" alias x", open("/midi/none.mid", U"type sequencer alias midi"),
        open("/midi/", U"type sequencer alias midi"), open("/midi/../../CMakeLists.txt", U"alias midi"),
        U"open \"/etc/passwd\"  alias wav"}},
      {kInvalidFile,
       {open("/midi/jazz-soft/test-not-a-midi-file.mid", U"type sequencer alias midi"),
        open("/wav/scipy/test-44100Hz-le-1ch-4bytes-incomplete-chunk.wav", U" alias wav"),
        open(kTock, U"type sequencer alias midi")}}};
  for (const auto& [code, commands] : cases) {
    for (const std::u32string& command : commands) EXPECT_EQ(send(command).code, code) << to_utf8(command);
  }
}

}  // namespace
}  // namespace tw::test
