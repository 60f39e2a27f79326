#include "player/screenshots.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string_view>
#include <system_error>

#include "base/failure.h"

namespace tw {

namespace {

// A game's title made fit for a file name: no folder separators, no
// characters that shells and file managers treat specially.
std::string file_name_part(const Text& title) {
  Text kept;
  for (const char32_t c : title) {
    const bool unsafe = c < 0x20 || c == U'/' || c == U'\\' || c == U':' || c == U'*' || c == U'?' ||
                        c == U'"' || c == U'<' || c == U'>' || c == U'|';
    kept += unsafe ? U'_' : c;
  }
  while (!kept.empty() && (kept.back() == U' ' || kept.back() == U'.')) kept.pop_back();
  if (kept.empty()) kept = U"Tallowind";
  return to_utf8(kept);
}

std::string time_stamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &local);
  return text;
}

}  // namespace

std::filesystem::path screenshot_folder() {
  const char* home_variable = std::getenv("HOME");
  const std::string home = home_variable && *home_variable ? home_variable : ".";
  if (const char* pictures = std::getenv("XDG_PICTURES_DIR"); pictures && *pictures) {
    return std::filesystem::path(pictures) / "Tallowind";
  }
  // Desktops name the pictures folder in user-dirs.dirs, in the user's
  // language: XDG_PICTURES_DIR="$HOME/画像".
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::ifstream dirs(std::filesystem::path(config && *config ? config : home + "/.config") /
                     "user-dirs.dirs");
  for (std::string line; std::getline(dirs, line);) {
    const std::string_view key = "XDG_PICTURES_DIR=\"";
    if (!line.starts_with(key) || !line.ends_with('"') || line.size() <= key.size() + 1) continue;
    std::string folder = line.substr(key.size(), line.size() - key.size() - 1);
    if (folder.starts_with("$HOME")) folder = home + folder.substr(5);
    if (folder.starts_with('/')) return std::filesystem::path(folder) / "Tallowind";
  }
  return std::filesystem::path(home) / "Pictures" / "Tallowind";
}

ScreenshotResult save_screenshot(Pictures& pictures, const Image& screen, const Text& game_title) {
  const std::filesystem::path folder = screenshot_folder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return {false, {}, folder.string() + ": " + error.message()};
  // Two shots in one second get a number rather than replacing each other.
  const std::string stem = file_name_part(game_title) + " " + time_stamp();
  std::filesystem::path file = folder / (stem + ".png");
  for (int n = 2; std::filesystem::exists(file, error) && n < 1000; ++n) {
    file = folder / (stem + " (" + std::to_string(n) + ").png");
  }
  // Written whole under another name first, so that whoever watches the
  // folder never opens half a picture.
  std::filesystem::path part = file;
  part += ".part";
  try {
    pictures.save_png(screen, part);
  } catch (const Failure& failure) {
    std::filesystem::remove(part, error);
    return {false, {}, failure.what()};
  }
  std::filesystem::rename(part, file, error);
  if (error) return {false, {}, file.string() + ": " + error.message()};
  return {true, from_utf8(file.filename().string()), {}};
}

}  // namespace tw
