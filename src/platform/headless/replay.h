#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "platform/pictures_and_fonts.h"

namespace tw {

struct ReplayOptions {
  std::filesystem::path script;
  std::optional<std::filesystem::path> trace;  // standard output when absent
  int screen_width = 1024;
  int screen_height = 768;
  std::filesystem::path game_folder;
  Text program_name;    // the executable's name without extension, as started
  bool strict = false;  // an end by a failure message exits with status 1
};

// Plays the game without a window from a script of mouse events, in virtual
// time. Returns the exit status: 0 when the script ran to its end or to the
// end of the program, 2 when the script is malformed or cannot be read, 1
// when a screenshot cannot be drawn or written (the reason goes to `errors`)
// or, with `strict`, when play ended in a failure box. A failure box that
// ends play is always told to `errors` in one line, with its detail.
int run_replay(const ReplayOptions& options, AssetLibraries assets, std::ostream& out, std::ostream& errors);

}  // namespace tw
