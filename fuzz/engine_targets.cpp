// Fuzz targets that run the engine's file readers and the whole engine on
// files of a game folder of their own.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "base/failure.h"
#include "check/check.h"
#include "graph/graph.h"
#include "platform/headless/session.h"
#include "platform/sdl/sdl_pictures.h"
#include "platform/sdl/sdl_sound_files.h"
#include "platform/sdl/ttf_fonts.h"
#include "sound/midi_song.h"
#include "sound/plain_smf.h"
#include "targets.h"

namespace tw::fuzz {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kLongestWaitMs = 5000;
constexpr std::int64_t kLongestPlayMs = 120000;
constexpr std::string_view kCommandSeparator = "\n#COMMANDS\n";

// The game's pictures never change between runs: each is decoded once.
class CachedPictures : public Pictures {
 public:
  explicit CachedPictures(Pictures& pictures) : pictures_(pictures) {}
  Image load(const fs::path& file) override {
    auto found = cache_.find(file);
    if (found == cache_.end()) found = cache_.emplace(file, pictures_.load(file)).first;
    return found->second;
  }
  void save_png(const Image& image, const fs::path& file) override { pictures_.save_png(image, file); }

 private:
  Pictures& pictures_;
  std::map<fs::path, Image> cache_;
};

// A copy of the demo game under the temporary folder, made once per
// process, with the per-user store beside it.
struct FuzzGame {
  fs::path root;
  SdlPictures pictures;
  CachedPictures game_pictures{pictures};
  TtfFonts fonts;
  SdlSoundFiles sounds;
  AssetLibraries assets{game_pictures, fonts, sounds};

  FuzzGame() : root(fs::temp_directory_path() / ("tallowind-fuzz-" + std::to_string(::getpid()))) {
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(TALLOWIND_SOURCE_DIR "/games/demo", root / "game", fs::copy_options::recursive);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    // Screenshots taken with F12 stay in the fuzzer's folder.
    ::setenv("XDG_PICTURES_DIR", (root / "pictures").c_str(), 1);
  }
  ~FuzzGame() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  FuzzGame(const FuzzGame&) = delete;
  FuzzGame& operator=(const FuzzGame&) = delete;
  fs::path game() const { return root / "game"; }
  // Each input starts without a saved game, so that what it finds does not
  // depend on the inputs run before it.
  void forget_saved_games() const { fs::remove_all(root / "data"); }
  void write(const std::string& relative, std::string_view bytes) const {
    std::ofstream(game() / relative, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

FuzzGame& fuzz_game() {
  static FuzzGame game;
  return game;
}

std::pair<std::string_view, std::string_view> split(std::string_view input, std::string_view separator) {
  const std::size_t at = input.find(separator);
  if (at == std::string_view::npos) return {input, {}};
  return {input.substr(0, at), input.substr(at + separator.size())};
}

}  // namespace

// A packed scene (also played as scene 2) and a replay script: play ends in
// a failure box, at the end of the game or at the end of the script, and the
// checker reads the same game and draws its flow.
void game(std::string_view input) {
  FuzzGame& folder = fuzz_game();
  const auto [scene, script_text] = split(input, kScriptSeparator);
  folder.write("scene/scene1.gst", scene);
  folder.write("scene/scene2.gst", scene);
  folder.forget_saved_games();
  std::vector<ReplayLine> script;
  try {
    script = parse_replay_script(script_text);
  } catch (const ScriptError&) {
  }

  std::ostringstream trace;
  HeadlessSession session({1024, 768, folder.game(), U"tallowind"}, folder.assets, trace);
  session.start();
  std::int64_t played = 0;
  for (ReplayLine& line : script) {
    if (session.ended()) break;
    if (std::holds_alternative<ShotCommand>(line.action)) continue;  // the screen is drawn once, below
    if (auto* wait = std::get_if<WaitCommand>(&line.action)) {
      wait->ms = std::clamp<std::int64_t>(wait->ms, 0, kLongestWaitMs);
      if ((played += wait->ms) > kLongestPlayMs) break;
    }
    session.run(line.action);
  }
  if (!session.ended()) {
    Image screen;
    session.player().compose(folder.fonts, screen);
  }

  const CheckedGame checked = check_game_folder(folder.game(), false, folder.assets);
  std::ostringstream report;
  checked.report.print(report);
  report << check_summary(checked) << story_graph_dot(checked);
}

// A file opened as a song and as a sound effect through the media commands,
// read by the MIDI and WAV readers, then further commands as they come.
void media(std::string_view input) {
  FuzzGame& folder = fuzz_game();
  const auto [file, commands] = split(input, kCommandSeparator);
  folder.write("midi/fuzz.mid", file);
  folder.write("wave/fuzz.wav", file);
  const std::vector<unsigned char> bytes(file.begin(), file.end());
  may_fail([&] {
    const MidiSong song = MidiSong::parse(bytes);
    require(song.position_sixteenths(1e9) <= song.length_sixteenths(), "a song plays past its length");
  });
  may_fail([&] { plain_smf(bytes); });
  may_fail([&] { read_wave_file(folder.game() / "wave/fuzz.wav"); });

  const GameFolder game(folder.game());
  VirtualClock clock;
  SilentOutput silence;
  MciInterpreter interpreter(game, clock, folder.sounds, silence);
  const Text root = from_utf8(game.spelled(U""));
  const Text sent[] = {U"open \"" + root + U"/midi/fuzz.mid\" type sequencer alias midi",
                       U"play midi",
                       U"status midi length",
                       U"open \"" + root + U"/wave/fuzz.wav\"  alias wav",
                       U"play wav",
                       U"status wav length"};
  for (const Text& command : sent) interpreter.send(command);
  std::size_t start = 0;
  for (int tick = 1; start <= commands.size(); ++tick) {
    const std::size_t end = std::min(commands.find('\n', start), commands.size());
    clock.set(clock.now_ms() + 500);
    interpreter.send(from_utf8(commands.substr(start, end - start)));
    interpreter.send(U"status midi position");
    start = end + 1;
  }
}

// A picture file as the game's pictures are read.
void picture(std::string_view input) {
  FuzzGame& folder = fuzz_game();
  folder.write("image/fuzz.bmp", input);
  may_fail([&] {
    const Image image = folder.pictures.load(folder.game() / "image/fuzz.bmp");
    require(image.pixels.size() == static_cast<std::size_t>(image.width) * image.height,
            "a picture's size lies");
  });
}

const std::vector<NamedTarget>& all_targets() {
  static const std::vector<NamedTarget> targets{{"text_lines", text_lines}, {"scene_file", scene_file},
                                                {"type_lines", type_lines}, {"game", game},
                                                {"media", media},           {"picture", picture}};
  return targets;
}

}  // namespace tw::fuzz
