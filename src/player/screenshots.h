#pragma once

#include <filesystem>
#include <string>

#include "base/image.h"
#include "base/text.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

struct ScreenshotResult {
  bool saved = false;
  Text name;           // the file's name, when saved
  std::string reason;  // why not, when not
};

// Where screenshots go: the Tallowind folder in the pictures folder that
// $XDG_PICTURES_DIR or the desktop's user-dirs.dirs names, else in
// ~/Pictures.
std::filesystem::path screenshot_folder();

// Writes the screen as a PNG file named by the game's title and the time,
// in the screenshot folder, which it makes when missing. Never throws.
ScreenshotResult save_screenshot(Pictures& pictures, const Image& screen, const Text& game_title);

}  // namespace tw
