#include "sound/media_commands.h"

namespace tw {

Text open_music_command(TextView path) { return U"open \"" + Text(path) + U"\" type sequencer alias midi"; }

Text open_sound_command(TextView path, TextView alias) {
  return U"open \"" + Text(path) + U"\"  alias " + Text(alias);
}

}  // namespace tw
