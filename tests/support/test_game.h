#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/image.h"
#include "base/text.h"
#include "platform/headless/session.h"

namespace tw::test {

// One record of a packed scene file.
struct Record {
  std::u32string type = U"NORMAL", image{}, sub{}, wav{}, midi{};
  std::array<std::u32string, 4> lines{};
};

// A record of this type whose first message line is `line`.
Record record(std::u32string type = U"NORMAL", std::u32string line = U"");

// A game folder of its own under the system's temporary folder, removed
// when the test ends.
class TestGame {
 public:
  TestGame();
  ~TestGame();
  TestGame(const TestGame&) = delete;
  TestGame& operator=(const TestGame&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The per-user data folder that the engines of this test use.
  const std::filesystem::path& data_home() const { return data_home_; }

  // Writes `lines` as a CP932 text file with CR LF after every line.
  void write_lines(const std::string& relative, const std::vector<std::u32string>& lines);
  void write_bytes(const std::string& relative, const std::string& bytes);
  // Writes a 24-bit BMP picture.
  void write_bmp(const std::string& relative, const Image& image);

  // A settings file of 13 lines with the given lines changed.
  static std::vector<std::u32string> settings(std::initializer_list<std::pair<int, std::u32string>> changes);
  // A packed scene file of these records.
  static std::vector<std::u32string> scene_of(const std::vector<Record>& records);
  // A normal-mode game of these records and the settings with these changes.
  void write_scene(const std::vector<Record>& records,
                   std::initializer_list<std::pair<int, std::u32string>> changes = {});

  // The per-record files of a small debug-mode game.
  void write_debug_game(const std::vector<std::u32string>& settings_lines,
                        const std::vector<std::u32string>& type_lines);

 private:
  std::filesystem::path root_;
  std::filesystem::path data_home_;
};

Pictures& shared_pictures();
Fonts& shared_fonts();
AssetLibraries shared_assets();

// The trace's line of a media command at `t` ms.
std::string mci(long t, const std::string& command, int rc, const std::string& reply = "");

// The checker's exit status and report on the game in `root` (in check_game.cpp,
// as the benchmark that shares this file has no checker).
std::pair<int, std::string> check_game(const std::filesystem::path& root, bool debug_form = false);
// Whether `trace` holds a failure box whose message starts with `message`.
bool shows_error(const std::string& trace, const std::u32string& message);

// Polls `condition` until it holds or `timeout` has passed; says whether it held.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
  for (const auto until = std::chrono::steady_clock::now() + timeout; !condition();) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// An engine on the headless platform, with its trace kept in memory.
class Engine {
 public:
  explicit Engine(const std::filesystem::path& root, std::u32string program_name = U"tallowind",
                  int width = 1024, int height = 768, AssetLibraries assets = shared_assets())
      : session_({width, height, root, std::move(program_name)}, assets, trace_) {}
  explicit Engine(const TestGame& game, std::u32string program_name = U"tallowind", int width = 1024,
                  int height = 768)
      : Engine(game.root(), std::move(program_name), width, height) {}
  Engine& start() { return session_.start(), *this; }

  // The replay's commands.
  Engine& run(const ReplayAction& action) { return session_.run(action), *this; }
  Engine& click(ControlId control, int index = 0, int button = kLeftButton) {
    return run(ClickCommand{MouseTarget{control, index}, control == ControlId::waku, 0, 0, button});
  }
  Engine& move(int label) { return run(MoveCommand{MouseTarget{ControlId::Message, label}, 0, 0}); }
  Engine& wait(std::int64_t ms) { return run(WaitCommand{ms}); }
  Engine& choose(const std::string& item) { return run(ChooseCommand{item}); }
  // Past the title: a click on the picture, after each a tenth of a second.
  Engine& begin() { return wait(100).click(ControlId::image1).wait(100); }
  // One click on the message window and the tenth of a second after it.
  Engine& step() { return click(ControlId::Window).wait(100); }
  // A right click and the menu item.
  Engine& menu(const std::string& item) { return click(ControlId::image1, 0, kRightButton).choose(item); }

  Form1& form() { return session_.form(); }
  HeadlessSession& session() { return session_; }
  std::string trace() const { return trace_.str(); }
  bool ended() const { return session_.ended(); }
  bool shows_error(const std::u32string& message) const { return test::shows_error(trace(), message); }
  // Whether start-up or play ended in a failure.
  bool failed() const { return trace().find(R"("end":"failure")") != std::string::npos; }
  Image screen();

 private:
  std::ostringstream trace_;
  HeadlessSession session_;
};

}  // namespace tw::test
