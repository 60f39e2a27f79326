#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "sound/mci_command.h"
#include "sound/media_commands.h"
#include "sound/midi_song.h"
#include "sound/sound_output.h"

namespace tw {

// The media command interface of the games: one channel per alias, opened
// from a file of the game folder, played, asked for its length and position,
// closed. Length and position of a MIDI song are in sixteenth notes; of a
// sound effect in milliseconds. Positions follow the clock from the moment
// "play" was sent, through the song's tempo map, and stop at the end.
class MciInterpreter : public MediaCommands {
 public:
  // `game` is the game folder: spelled(U"") is the folder as the paths of the
  // commands spell it, resolve() finds a file by its path inside. `clock`
  // gives the time in milliseconds through now_ms(). Both are only asked
  // while a command runs.
  template <class Folder, class Time>
  MciInterpreter(const Folder& game, const Time& clock, SoundFiles& files, SoundOutput& output)
      : folder_([&game] { return from_utf8(game.spelled(U"")); }),
        find_([&game](TextView inside) { return game.resolve(inside); }),
        now_ms_([&clock] { return clock.now_ms(); }),
        files_(files),
        output_(output) {}

  MediaReply send(TextView command) override;

 private:
  struct Channel {
    std::string output_name;  // the alias as the sound output knows the channel
    std::optional<MidiSong> song;
    std::shared_ptr<const std::vector<unsigned char>> smf;
    std::shared_ptr<const WaveSound> wave;
    std::optional<std::int64_t> started_ms;
  };

  MediaReply open(const MciOpen& command);
  MediaReply close(const MciClose& command);
  MediaReply play(const MciPlay& command);
  MediaReply status(const MciStatus& command);
  MediaReply refuse(const MciRefused& command) const { return {command.code, {}}; }
  std::optional<std::filesystem::path> game_file(TextView path) const;
  Channel* channel(TextView alias);

  std::function<Text()> folder_;
  std::function<std::optional<std::filesystem::path>(TextView)> find_;
  std::function<std::int64_t()> now_ms_;
  SoundFiles& files_;
  SoundOutput& output_;
  std::map<Text, Channel> channels_;  // by alias_key
};

}  // namespace tw
