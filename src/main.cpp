// tallowind [--window] [GAME_DIR]
// tallowind --replay SCRIPT [--trace FILE] [--screen WIDTHxHEIGHT] [--strict] [GAME_DIR]
// tallowind --check [GAME_DIR]
// tallowind --graph OUT [GAME_DIR]
// tallowind --pack N [--force] [GAME_DIR]
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

#include "base/failure.h"
#include "check/check.h"
#include "graph/graph.h"
#include "pack/pack.h"
#include "platform/desktop/desktop.h"
#include "platform/headless/replay.h"
#include "platform/memory_reuse.h"
#include "platform/picture_cache.h"
#include "platform/program_location.h"
#include "platform/sdl/sdl_pictures.h"
#include "platform/sdl/sdl_sound_files.h"
#include "platform/sdl/ttf_fonts.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr char kUsage[] =
    "usage: tallowind [--window] [GAME_DIR]\n"
    "       tallowind --replay SCRIPT [--trace FILE] [--screen WIDTHxHEIGHT] [--strict] [GAME_DIR]\n"
    "       tallowind --check [GAME_DIR]\n"
    "       tallowind --graph OUT [GAME_DIR]\n"
    "       tallowind --pack N [--force] [GAME_DIR]\n";

constexpr char kHelp[] =
    "\n"
    "  (no option)  play the game on the whole screen; --window plays it in a window\n"
    "  --replay     play the game without a window from a script of mouse events;\n"
    "               --strict exits with status 1 when play ends in a failure box\n"
    "  --check      report everything that would end play with a failure box, and\n"
    "               what is almost surely a mistake; exit status 0 when nothing\n"
    "               would fail, 1 otherwise\n"
    "  --graph OUT  draw the game's flow as the checker follows it into OUT, an\n"
    "               .svg or .png picture or .dot text for Graphviz: a box for each\n"
    "               run of records by scene file, arrows for jumps, choices and IF\n"
    "               branches; grey where no path reaches, red where --check finds\n"
    "               an error\n"
    "  --pack N     pack the per-record files (main.gst, game.gst, message/, image/,\n"
    "               image2/, wave/, midi/) into scene/main.gst and scene/sceneN.gst;\n"
    "               --force replaces files that exist and packs record files of\n"
    "               different lengths\n"
    "  --help       show this help\n"
    "\n"
    "GAME_DIR is the game folder; by default the folder of the program. Started\n"
    "through a link named DEBUG, the program plays and checks the per-record\n"
    "files (debug mode); otherwise the packed scene files.\n"
    "\n"
    "Playing needs a display (DISPLAY or WAYLAND_DISPLAY); without one, --replay\n"
    "plays a game from a script. The player's exit status is 0 when the game was\n"
    "ended, 1 when it ended with a failure message or could not start, 2 on bad\n"
    "usage.\n";

enum class Command { Play, Replay, Check, Graph, Pack };

constexpr char kAlone[] = "--replay, --check, --graph and --pack do not go together";

int usage(std::string_view why) {
  std::cerr << "tallowind: " << why << "\n" << kUsage << "Try 'tallowind --help' for more.\n";
  return kUsageError;
}

bool read_number(std::string_view digits, int& value, int highest) {
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() && value > 0 && value <= highest;
}

bool read_screen_size(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find('x');
  return x != std::string_view::npos && read_number(text.substr(0, x), width, 16384) &&
         read_number(text.substr(x + 1), height, 16384);
}

}  // namespace

int main(int argc, char** argv) {
  tw::keep_freed_memory_for_reuse();
  const char* path_variable = std::getenv("PATH");
  const tw::ProgramLocation program =
      tw::locate_program(argc > 0 ? argv[0] : "tallowind", path_variable ? path_variable : "");
  Command command = Command::Play;
  const auto select = [&command](Command chosen) {
    const bool free = command == Command::Play;
    command = chosen;
    return free;
  };
  tw::ReplayOptions replay;
  tw::PackOptions pack;
  std::filesystem::path graph;
  bool windowed = false;
  std::optional<std::filesystem::path> game_folder;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage << kHelp;
      return 0;
    } else if (arg == "--replay" && has_value) {
      if (!select(Command::Replay)) return usage(kAlone);
      replay.script = argv[++i];
    } else if (arg == "--check") {
      if (!select(Command::Check)) return usage(kAlone);
    } else if (arg == "--graph" && has_value) {
      if (!select(Command::Graph)) return usage(kAlone);
      graph = argv[++i];
      if (!tw::graph_format_for(graph)) {
        return usage("--graph writes a picture named OUT.svg or OUT.png, or DOT text named OUT.dot");
      }
    } else if (arg == "--pack" && has_value) {
      if (!select(Command::Pack)) return usage(kAlone);
      if (!read_number(argv[++i], pack.scene, 32767)) {
        return usage("--pack takes the scene number N of scene/sceneN.gst, from 1 to 32767");
      }
    } else if (arg == "--force") {
      pack.force = true;
    } else if (arg == "--window") {
      windowed = true;
    } else if (arg == "--strict") {
      replay.strict = true;
    } else if (arg == "--trace" && has_value) {
      replay.trace = argv[++i];
    } else if (arg == "--screen" && has_value) {
      if (!read_screen_size(argv[++i], replay.screen_width, replay.screen_height)) {
        return usage("--screen takes WIDTHxHEIGHT in pixels, for example 1024x768");
      }
    } else if (!arg.starts_with("-") && !game_folder) {
      game_folder = arg;
    } else if (arg == "--replay" || arg == "--graph" || arg == "--pack" || arg == "--trace" ||
               arg == "--screen") {
      return usage(std::string(arg) + " needs a value");
    } else {
      return usage("unexpected argument \"" + std::string(arg) + "\"");
    }
  }
  if (command != Command::Replay &&
      (replay.trace || replay.strict || replay.screen_width != tw::ReplayOptions{}.screen_width ||
       replay.screen_height != tw::ReplayOptions{}.screen_height)) {
    return usage("--trace, --screen and --strict are options of --replay");
  }
  if (command != Command::Play && windowed) return usage("--window is an option of the desktop player");
  if (command != Command::Pack && pack.force) return usage("--force is an option of --pack");

  const std::filesystem::path folder = game_folder.value_or(program.folder);
  if (command == Command::Pack) {
    pack.game_folder = folder;
    return tw::run_pack(pack, std::cout, std::cerr);
  }
  try {
    tw::SdlPictures decoder;
    tw::PictureCache pictures(decoder);
    tw::SdlSoundFiles sounds;
    tw::TtfFonts fonts;
    const tw::AssetLibraries assets{pictures, fonts, sounds};
    if (command == Command::Check) {
      return tw::run_check(folder, tw::selects_debug_mode(program.name), assets, std::cout);
    }
    if (command == Command::Graph) {
      return tw::run_graph(folder, tw::selects_debug_mode(program.name), graph, assets, std::cout, std::cerr);
    }
    if (command == Command::Replay) {
      replay.game_folder = folder;
      replay.program_name = program.name;
      return tw::run_replay(replay, assets, std::cout, std::cerr);
    }
    return tw::run_desktop({folder, program.name, windowed}, assets);
  } catch (const tw::NoDisplay& reason) {
    std::cerr << "tallowind: no display found to open the game's window on (" << reason.what() << ").\n"
              << "Set DISPLAY or WAYLAND_DISPLAY to a running display, or play without a window from a\n"
              << "script of clicks: tallowind --replay SCRIPT [--trace FILE] [GAME_DIR]\n";
    return kFailed;
  } catch (const tw::Failure& failure) {
    // Also what a failure box that could not be shown leaves: its message
    // is on standard error already.
    std::cerr << "tallowind: " << failure.what() << "\n";
    return kFailed;
  }
}
