#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/mci_command.h"
#include "platform/platform.h"
#include "platform/sound_output.h"
#include "sound/midi_song.h"

namespace tw {

// The media command interface of the games: one channel per alias, opened
// from a file of the game folder, played, asked for its length and position,
// closed. Length and position of a MIDI song are in sixteenth notes; of a
// sound effect in milliseconds. Positions follow the clock from the moment
// "play" was sent, through the song's tempo map, and stop at the end.
class MciInterpreter : public MediaCommands {
 public:
  MciInterpreter(const GameFolder& game, const Clock& clock, SoundFiles& files, SoundOutput& output);

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

  const GameFolder& game_;
  const Clock& clock_;
  SoundFiles& files_;
  SoundOutput& output_;
  std::map<Text, Channel> channels_;  // by alias_key
};

}  // namespace tw
