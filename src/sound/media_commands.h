#pragma once

#include "base/text.h"

namespace tw {

// The media command interface of the sound channels: one command string in,
// a result code (0 for success) and a reply text out. It never fails
// otherwise.
struct MediaReply {
  unsigned code = 0;
  Text reply;
};

class MediaCommands {
 public:
  virtual ~MediaCommands() = default;
  virtual MediaReply send(TextView command) = 0;
};

// The open commands of the sound channels. `path` is the file's full path as
// the platform spells it; it travels in double quotes. Music names its device
// type; sound effects and clicks leave the device to the file's kind, with
// two blanks before "alias".
Text open_music_command(TextView path);
Text open_sound_command(TextView path, TextView alias);

}  // namespace tw
