// tallowind [--window] [GAME_DIR]
// tallowind --replay SCRIPT [--trace FILE] [--screen WIDTHxHEIGHT] [GAME_DIR]
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

#include "platform/desktop/desktop.h"
#include "platform/headless/replay.h"
#include "platform/media/sdl_pictures.h"
#include "platform/media/ttf_fonts.h"
#include "platform/media/wave_file.h"
#include "platform/program_location.h"
#include "window/failure.h"

namespace {

constexpr int kUsageError = 2;

int usage(std::string_view why) {
  std::cerr << "tallowind: " << why << "\n"
            << "usage: tallowind [--window] [GAME_DIR]\n"
            << "       tallowind --replay SCRIPT [--trace FILE] [--screen WIDTHxHEIGHT] [GAME_DIR]\n";
  return kUsageError;
}

bool read_screen_size(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const auto number = [](std::string_view digits, int& value) {
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value > 0 && value <= 16384;
  };
  return number(text.substr(0, x), width) && number(text.substr(x + 1), height);
}

}  // namespace

int main(int argc, char** argv) {
  const char* path_variable = std::getenv("PATH");
  const tw::ProgramLocation program =
      tw::locate_program(argc > 0 ? argv[0] : "tallowind", path_variable ? path_variable : "");
  tw::ReplayOptions replay;
  bool replaying = false;
  bool windowed = false;
  std::optional<std::filesystem::path> game_folder;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--replay" && has_value) {
      replaying = true;
      replay.script = argv[++i];
    } else if (arg == "--window") {
      windowed = true;
    } else if (arg == "--trace" && has_value) {
      replay.trace = argv[++i];
    } else if (arg == "--screen" && has_value) {
      if (!read_screen_size(argv[++i], replay.screen_width, replay.screen_height)) {
        return usage("--screen takes WIDTHxHEIGHT in pixels, for example 1024x768");
      }
    } else if (!arg.starts_with("--") && !game_folder) {
      game_folder = arg;
    } else {
      return usage("unexpected argument \"" + std::string(arg) + "\"");
    }
  }
  if (!replaying && (replay.trace)) return usage("--trace is an option of --replay");
  if (replaying && windowed) return usage("--window is an option of the desktop player");

  try {
    tw::SdlPictures pictures;
    tw::TtfFonts fonts;
    tw::SdlSoundFiles sounds;
    const tw::MediaLibraries media{pictures, fonts, sounds};
    const std::filesystem::path folder = game_folder.value_or(program.folder);
    if (replaying) {
      replay.game_folder = folder;
      replay.program_name = program.name;
      return tw::run_replay(replay, media, std::cout, std::cerr);
    }
    return tw::run_desktop({folder, program.name, windowed}, media);
  } catch (const tw::Failure& failure) {
    std::cerr << "tallowind: " << failure.what() << "\n";
    return 1;
  }
}
