#pragma once

#include <filesystem>

#include "data/text.h"
#include "platform/media.h"

namespace tw {

struct DesktopOptions {
  std::filesystem::path game_folder;
  Text program_name;
  bool windowed = false;  // an ordinary window of the design size
};

// Plays the game in a real window with the mouse: full screen, or in an
// ordinary window with `windowed`. Returns the exit status.
int run_desktop(const DesktopOptions& options, MediaLibraries media);

}  // namespace tw
