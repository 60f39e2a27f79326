// The desktop player in a real window on a virtual X display: clicked
// through the demo's first records with xdotool, its screen must match the
// replay's after the same clicks, and its menu must take an item.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "base/failure.h"
#include "engine/compositor.h"
#include "engine/screen_layout.h"
#include "platform/desktop/desktop.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSource = TALLOWIND_SOURCE_DIR;
constexpr int kScreenWidth = 1024, kScreenHeight = 768;
constexpr Pixel kGrey = 0xC0C0C0u, kBlack = 0x000000u;

// A process of its own running `body`, or a shell command with its output
// thrown away; stopped and reaped when the test ends.
class Child {
 public:
  explicit Child(const std::function<void()>& body) {
    pid_ = ::fork();
    if (pid_ == 0) {
      body();
      ::_exit(127);
    }
  }
  explicit Child(const std::string& command)
      : Child([line = "exec " + command + " >/dev/null"] {
          ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr);
        }) {}
  ~Child() {
    if (ended()) return;
    ::kill(pid_, SIGTERM);
    if (!eventually([&] { return ended(); }, 10s)) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Whether the process has ended, or never started.
  bool ended() {
    if (pid_ > 0 && !exited_) exited_ = ::waitpid(pid_, &status_, WNOHANG) == pid_;
    return pid_ <= 0 || exited_;
  }
  // The exit status once the process has ended within the deadline; -1 when a signal ended it.
  std::optional<int> wait_exit(std::chrono::milliseconds timeout = 30s) {
    if (!eventually([&] { return ended(); }, timeout)) return std::nullopt;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = -1;
};

// Where to click the OK button of the failure box once the box is wholly
// drawn: a grey face over 200 pixels wide in the middle of the screen with,
// above its lower edge, the button's black frame, and above that the red
// error icon and the message in black.
std::optional<int> ok_button(const Image& screen) {
  const auto grey = [&](int x, int y) { return screen.at(x, y) == kGrey; };
  int left = kScreenWidth / 2, right = left, bottom = kScreenHeight - 1;
  while (bottom > 0 && !grey(left, bottom)) --bottom;
  int frame = bottom;
  while (frame > 0 && grey(left, frame)) --frame;
  if (frame == 0 || screen.at(left, frame) != kBlack || bottom - frame >= 30) return std::nullopt;
  while (left > 0 && grey(left - 1, bottom)) --left;
  while (right + 1 < kScreenWidth && grey(right + 1, bottom)) ++right;
  int red = 0, dark = 0;
  for (int row = std::max(0, frame - 200); row < frame - 30; ++row) {
    for (int column = left; grey(left, row) && column <= right; ++column) {
      const Pixel pixel = screen.at(column, row);
      red += pixel == 0xFF0000u;
      dark += (pixel >> 16 & 0xFF) < 0x60 && (pixel >> 8 & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60;
    }
  }
  if (right - left <= 200 || red <= 200 || dark <= 300) return std::nullopt;
  return frame - 10;
}

// A virtual X display of its own, on which the player runs. The server
// picks a free display number, so that test runs side by side never reach
// for the same one, and writes it with a newline once it takes connections.
// It must not reset when its last client leaves: each xdotool and xwd run is
// a client, and a connection made while the server resets is dropped, so the
// player would find no display.
class DesktopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string tool : {"Xvfb", "xdotool", "xwd", "xwdtopnm", "pnmtopng"}) {
      if (std::system(("command -v " + tool + " >/dev/null").c_str()) != 0)
        GTEST_SKIP() << tool << " is not installed";
    }
    const fs::path number_file = game_.root() / "display";
    server_.emplace("Xvfb -displayfd 3 -screen 0 " + std::to_string(kScreenWidth) + "x" +
                    std::to_string(kScreenHeight) + "x24 -nolisten tcp -noreset 3>'" + number_file.string() +
                    "'");
    const auto numbered = [&] {
      std::ifstream in(number_file);
      const std::string number{std::istreambuf_iterator<char>(in), {}};
      display_ = ":" + number.substr(0, number.find('\n'));
      return number.ends_with('\n');
    };
    // A server that is gone is not waited for to the deadline.
    ASSERT_TRUE(eventually([&] { return numbered() || server_->ended(); }) && !server_->ended())
        << "Xvfb did not start";
  }

  // The output of a command run against the display.
  std::string run(const std::string& command) const {
    std::string text;
    if (FILE* pipe = ::popen(("DISPLAY=" + display_ + " timeout 10 " + command).c_str(), "r")) {
      for (int c; (c = std::fgetc(pipe)) != EOF;) text += static_cast<char>(c);
      ::pclose(pipe);
    }
    return text;
  }
  void click(int x, int y, int button = 1) const {
    run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
        std::to_string(button));
  }

  // Starts the player and waits for its window titled `title`. SDL writes
  // the title the window manager reads, _NET_WM_NAME, in UTF-8, and the old
  // WM_NAME that xdotool searches right only for ASCII: the window is found
  // by its class.
  void start_player(const fs::path& game_folder, const std::string& title, const std::string& options = "",
                    const fs::path& program = TALLOWIND_BINARY) {
    // X11 and SDL keep allocations to the end.
    player_.emplace("env DISPLAY=" + display_ + " XDG_DATA_HOME='" + game_.data_home().string() +
                    "' XDG_PICTURES_DIR='" + (game_.root() / "pictures").string() +
                    "' SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 '" + program.string() + "' " +
                    options + " '" + game_folder.string() + "'");
    ASSERT_TRUE(eventually([&] {
      window_ = run("xdotool search --onlyvisible --class '^tallowind$'");
      window_ = window_.substr(0, window_.find('\n'));
      return !window_.empty() && run("xdotool getwindowname " + window_) == title + "\n";
    })) << "no window titled "
        << title << " appeared";
  }

  // Where the player's window lies on the screen.
  Rect window_rect() const {
    Rect rect;
    const std::string shell = run("xdotool getwindowgeometry --shell " + window_);
    for (auto [name, value] :
         {std::pair{"X=", &rect.x}, {"Y=", &rect.y}, {"WIDTH=", &rect.width}, {"HEIGHT=", &rect.height}}) {
      const std::size_t at = shell.find(std::string("\n") + name);
      if (at != std::string::npos) *value = std::atoi(shell.c_str() + at + 1 + std::strlen(name));
    }
    return rect;
  }

  // Whether the display comes to show what `shows` accepts; screen_ is the
  // last screen taken, empty when none could be.
  template <class Accept>
  bool screen_shows(Accept shows) {
    const fs::path file = game_.root() / "screen.png";
    return eventually([&] {
      run("sh -c 'xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >\"" + file.string() + "\"'");
      try {
        screen_ = shared_pictures().load(file);
      } catch (const Failure&) {
        screen_ = {};
      }
      return screen_.width == kScreenWidth && screen_.height == kScreenHeight && shows(screen_);
    });
  }

  // Whether the display comes to show `expected` with its top-left corner
  // at (x, y), all but the part `except`.
  bool screen_shows_at(const Image& expected, int x, int y, Rect except = {}) {
    return screen_shows([&](const Image& shown) {
      for (int row = 0; row < expected.height; ++row) {
        for (int column = 0; column < expected.width; ++column) {
          const int sx = x + column, sy = y + row;
          if (sx >= 0 && sy >= 0 && sx < shown.width && sy < shown.height && !except.contains(column, row) &&
              shown.at(sx, sy) != expected.at(column, row))
            return false;
        }
      }
      return true;
    });
  }

  // The display must come to show the replay's screen, its text whole, all
  // but the blinking "▼", whose phase depends on the moment of the shot.
  // When it does not, both screens are kept in the game folder.
  void expect_replays_screen(Engine& replay, const char* what) {
    Form1& form = replay.wait(1500).form();
    const Image expected = compose_screen(form, shared_fonts());
    if (screen_shows_at(expected, 0, 0, place_of_message(form, kMessageLabels - 1).visible)) return;
    ADD_FAILURE() << what << " differs from the replay's screen: " << game_.root();
    shared_pictures().save_png(expected, game_.root() / "expected.png");
    if (!screen_.empty()) shared_pictures().save_png(screen_, game_.root() / "actual.png");
  }

  TestGame game_;  // an empty game folder and the per-user data folder
  std::optional<Child> server_, player_;
  std::string display_;
  std::string window_;  // the player's window id
  Image screen_;
};

TEST_F(DesktopWindow, ShowsTheReplaysScreenAfterTheSameClicksAndEndsFromItsMenu) {
  ASSERT_NO_FATAL_FAILURE(start_player(kSource / "games/demo", "灯台の手紙")) << "titled by the game";
  Engine replay(kSource / "games/demo", U"tallowind", kScreenWidth, kScreenHeight);
  Form1& form = replay.start().form();
  // The window plays in real time what the replay plays in virtual time:
  // before each click it must show the replay's screen, text whole, or the
  // click would only complete the text.
  // The title, then records 1 to 3, as scripts/demo.replay plays them.
  expect_replays_screen(replay, "the title");
  const Rect picture = place_of_image1(form).visible;
  click(picture.x + picture.width / 2, picture.y + picture.height / 2);
  replay.click(ControlId::image1);
  for (const char* record : {"record 1", "record 2"}) {
    expect_replays_screen(replay, record);
    const ScreenPlace window = place_of_Window(form);
    click(window.visible.x + 4, window.visible.y + 4);
    replay.click(ControlId::Window);
  }
  expect_replays_screen(replay, "record 3");
  ASSERT_EQ(form.Line_No, 3);

  // A right click opens the menu at the mouse: a grey panel with a light
  // edge above and a black one below, its last item "終了" at the bottom.
  const int x = picture.x + 40, y = picture.y + 40;
  int bottom = y;
  click(x, y, 3);
  ASSERT_TRUE(screen_shows([&](const Image& shown) {
    for (bottom = y; bottom < y + 200 && shown.at(x + 3, bottom) != kBlack;) ++bottom;
    return shown.at(x + 1, y + 1) == 0xFFFFFFu && shown.at(x + 3, y + 1) == 0xFFFFFFu && bottom < y + 200;
  })) << "no menu with a light edge and a black lower edge";
  EXPECT_EQ(screen_.at(x + 3, bottom - 4), kGrey) << "the grey face";
  // Hovering lights the item; taking "終了" ends the program.
  run("xdotool mousemove " + std::to_string(x + 30) + " " + std::to_string(bottom - 10));
  EXPECT_TRUE(screen_shows([&](const Image& shown) { return shown.at(x + 5, bottom - 10) == 0x000080u; }))
      << "the blue highlight";
  click(x + 30, bottom - 10);
  EXPECT_EQ(player_->wait_exit(), std::optional<int>(0));
}

// Debug mode: a message file written while its record is on screen shows
// the new text, as a replay of the edited game shows it.
TEST_F(DesktopWindow, DebugModeShowsAnEditedRecordAnew) {
  const fs::path game = game_.root() / "game";
  fs::copy(kSource / "games/demo", game, fs::copy_options::recursive);
  fs::create_symlink(TALLOWIND_BINARY, game / "DEBUG");
  game_.write_lines("game/Debug.gst", {U"3", U"0", U"0", U"0", U"0", U"0"});
  ASSERT_NO_FATAL_FAILURE(start_player(game, "灯台の手紙", "--window", game / "DEBUG"));
  Engine before(game, U"DEBUG", 801, 722);
  const Rect window = window_rect();
  EXPECT_TRUE(screen_shows_at(before.start().wait(1500).screen(), window.x, window.y));

  std::vector<std::u32string> lines(before.form().Message_List[0].count());
  lines[3] = U"書きかえた一行目";
  game_.write_lines("game/message/message1.gst", lines);
  Engine after(game, U"DEBUG", 801, 722);
  const Image edited = after.start().wait(1500).screen();
  EXPECT_TRUE(screen_shows_at(edited, window.x, window.y)) << "the new text in the window";
}

TEST_F(DesktopWindow, AFailureShowsItsMessageInABoxAndEndsWhenItIsClosed) {
  // No game files at all. The generic report of a failure in the load step
  // bears the program's title; the game window itself is never shown.
  ASSERT_NO_FATAL_FAILURE(start_player(game_.root(), "Tallowind"));
  // Shown is not yet drawn: wait for the whole box.
  std::optional<int> button;
  ASSERT_TRUE(screen_shows([&](const Image& shown) { return (button = ok_button(shown)).has_value(); }))
      << "no grey box with the error icon, the message and the OK button's black frame";
  click(kScreenWidth / 2, *button);
  EXPECT_EQ(player_->wait_exit(), std::optional<int>(1)) << "a failure ends the program with status 1";
}

// The title screen of a window of the design size, 801 x 722, as the
// replay composes it: the window shows it whole at every scale of 1.
TEST_F(DesktopWindow, FullScreenAndBackResizingScreenshotsAndTheMenuByKeys) {
  ASSERT_NO_FATAL_FAILURE(start_player(kSource / "games/demo", "灯台の手紙", "--window"));
  Engine replay(kSource / "games/demo", U"tallowind", 801, 722);
  const Image title = replay.start().wait(1500).screen();
  const Rect window = window_rect();
  ASSERT_EQ(std::pair(window.width, window.height), std::pair(801, 722));
  EXPECT_TRUE(screen_shows_at(title, window.x, window.y)) << "the title in the window";

  run("xdotool key F11");
  EXPECT_TRUE(screen_shows_at(title, (kScreenWidth - 801) / 2, (kScreenHeight - 722) / 2))
      << "full screen: the same screen, centred on black";
  EXPECT_EQ(screen_.at(5, 5), kBlack);
  run("xdotool key alt+Return");
  EXPECT_TRUE(eventually([&] { return window_rect().width == 801; })) << "back in a window";
  run("xdotool windowsize " + window_ + " 901 782");
  EXPECT_TRUE(eventually([&] { return window_rect().width == 901; }));
  const Rect resized = window_rect();
  EXPECT_TRUE(screen_shows_at(title, resized.x + 50, resized.y + 30)) << "the resized window centres it";

  // A screenshot is the game's screen, whatever the window's scale.
  run("xdotool key F12");
  const fs::path shots = game_.root() / "pictures" / "Tallowind";
  fs::path shot;
  EXPECT_TRUE(eventually([&] {
    std::error_code none;
    for (const auto& entry : fs::directory_iterator(shots, none)) {
      if (entry.path().extension() == ".png") shot = entry.path();
    }
    return !shot.empty();
  })) << "no screenshot in "
      << shots;
  if (!shot.empty()) {
    EXPECT_EQ(shared_pictures().load(shot).pixels, title.pixels);
  }
  // Escape opens the menu, Up lights its last item, the end, and Return takes it.
  run("xdotool mousemove " + std::to_string(resized.x + 300) + " " + std::to_string(resized.y + 300));
  run("xdotool key Escape");
  EXPECT_TRUE(screen_shows([&](const Image& shown) {
    return shown.at(resized.x + 301, resized.y + 301) == 0xFFFFFFu;
  })) << "the menu's light edge at the mouse";
  run("xdotool key Up");
  run("xdotool key Return");
  EXPECT_EQ(player_->wait_exit(), std::optional<int>(0));
}

// A virtual game controller, as SDL attaches one: Start opens the menu at
// the mouse, the pad's Up lights its last item and A takes it, which ends
// the game. The window runs in a process of its own, so that what SDL and
// X11 keep to their end is not taken for a leak of the test.
TEST_F(DesktopWindow, AGameControllerOpensTheMenuAndEndsTheGame) {
  run("xdotool mousemove 300 300");
  Child player([&] {
    ::setenv("DISPLAY", display_.c_str(), 1);
    ::setenv("XDG_DATA_HOME", game_.data_home().c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) ::_exit(10);
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.name = "test pad";
    SDL_Joystick* joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&pad));
    if (!joystick) ::_exit(11);
    int failed_step = 0;
    std::thread hands([&] {
      // The player opens the controller once its window is up; each button
      // is then held until the window shows what it did.
      if (!eventually([&] { return SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(joystick)); })) {
        failed_step = 11;
      }
      const auto press = [&](SDL_GameControllerButton button, auto shown, int step) {
        SDL_JoystickSetVirtualButton(joystick, button, 1);
        if (!screen_shows(shown) && failed_step == 0) failed_step = step;
        SDL_JoystickSetVirtualButton(joystick, button, 0);
      };
      const auto menu = [](const Image& shown) { return shown.at(301, 301) == 0xFFFFFFu; };
      const auto lit = [](const Image& shown) {
        for (int y = 300; y < 500; ++y)
          if (shown.at(305, y) == 0x000080u) return true;
        return false;
      };
      press(SDL_CONTROLLER_BUTTON_START, menu, 12);
      press(SDL_CONTROLLER_BUTTON_DPAD_UP, lit, 13);
      SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    });
    const int status = run_desktop({kSource / "games/demo", U"tallowind", false}, shared_assets());
    hands.join();
    ::_exit(failed_step != 0 ? failed_step : status);
  });
  EXPECT_EQ(player.wait_exit(60s), std::optional<int>(0))
      << "10: no virtual controller; 11: the player did not open it; 12: no menu; 13: no highlight; "
         "-1: killed; none: still playing";
}

}  // namespace
}  // namespace tw::test
