#pragma once

#include <filesystem>

#include "data/text.h"
#include "platform/media.h"

namespace tw {

struct DesktopOptions {
  std::filesystem::path game_folder;
  Text program_name;
};

// Plays the game in a real window with the mouse. Returns the exit status.
int run_desktop(const DesktopOptions& options, MediaLibraries media);

}  // namespace tw
