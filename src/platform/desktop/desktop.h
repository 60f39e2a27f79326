#pragma once

#include <filesystem>
#include <stdexcept>

#include "base/text.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

struct DesktopOptions {
  std::filesystem::path game_folder;
  Text program_name;
  bool windowed = false;  // an ordinary window of the design size
};

// No display to open a window on: neither X nor Wayland answered, and SDL
// would fall back to a driver whose windows nobody sees, so that a failure
// box could never be closed. The text is SDL's reason.
struct NoDisplay : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Plays the game in a real window with the mouse: full screen, or in an
// ordinary window with `windowed`. Returns the exit status: 0 when the
// player ended the game, 1 when it ended with a failure message. Throws
// NoDisplay before anything is shown when there is no display.
int run_desktop(const DesktopOptions& options, AssetLibraries assets);

}  // namespace tw
