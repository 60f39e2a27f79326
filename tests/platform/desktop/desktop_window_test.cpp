// The desktop player in a real window on a virtual X display: clicked
// through the demo's first records with xdotool, its screen must match the
// replay's after the same clicks, and its menu must take an item.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/failure.h"
#include "engine/compositor.h"
#include "engine/screen_layout.h"
#include "support/test_game.h"

extern char** environ;

namespace tw::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSource = TALLOWIND_SOURCE_DIR;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

bool on_path(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls `condition` until it holds or `timeout` has passed; says whether it held.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = 30s) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// A child process, killed and reaped when the test ends. Variables of its
// own go before the program as env's NAME=VALUE arguments.
class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ <= 0 || exited_) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  // The exit status once the child has ended within `timeout`.
  std::optional<int> wait_exit(std::chrono::milliseconds timeout = 30s) {
    std::optional<int> code;
    eventually(
        [&] {
          int status = 0;
          if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
          exited_ = true;
          code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
          return true;
        },
        timeout);
    return code;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// The output of a shell command line.
std::string output_of(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string text;
  if (!pipe) return text;
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, count);
  return text;
}

// A virtual X display of its own. The server picks a free display number
// and writes it to a pipe once it takes connections, so that test runs side
// by side never reach for the same number. It must not reset when its last
// client leaves: each xdotool and xwd run is a client, and a connection
// made while the server resets is dropped, so the player would find no
// display.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int ends[2];
    if (::pipe(ends) != 0) return;
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    child_ = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0",
                                 std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                                 "-nolisten", "tcp", "-noreset"});
    ::close(ends[1]);
    // Should the server end or never start, the pipe's last writer is gone.
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (number.find('\n') == std::string::npos) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[16];
      const ssize_t count = ::read(ends[0], buffer, sizeof buffer);
      if (count <= 0) break;
      number.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    if (number.find('\n') == std::string::npos) child_.reset();
    name_ = ":" + number.substr(0, number.find('\n'));
  }
  bool ready() const { return child_ != nullptr; }
  const std::string& name() const { return name_; }

  std::string run(const std::string& command) const {
    return output_of("DISPLAY=" + name_ + " timeout 10 " + command);
  }
  void click(int x, int y, int button = 1) const {
    run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " +
        std::to_string(button));
  }
  // The whole screen as the display shows it, by way of `file`; empty when
  // it cannot be taken.
  Image screenshot(const fs::path& file) const {
    run("sh -c 'xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >\"" + file.string() + "\"'");
    try {
      return shared_pictures().load(file);
    } catch (const Failure&) {
      return {};
    }
  }

 private:
  std::string name_;
  std::unique_ptr<Child> child_;
};

// Pixels that differ but for the blinking "▼", whose phase depends on the
// moment of the shot.
int differing_but_mark(const Form1& form, const Image& expected, const Image& actual) {
  const Rect mark = place_of_message(form, kMessageLabels - 1).visible;
  int differing = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x)
      differing += !mark.contains(x, y) && expected.at(x, y) != actual.at(x, y);
  }
  return differing;
}

// The failure box as the display shows it once it is wholly drawn.
struct Box {
  int left = 0;
  int right = 0;
  int bottom = 0;
  int button_bottom = 0;
  int red = 0;   // pixels of the error icon
  int dark = 0;  // pixels of the message
};

std::optional<Box> find_box(const Image& screen) {
  // A grey face in the middle of the screen, and inside it, above its lower
  // edge, the OK button's black frame.
  const int middle = kScreenWidth / 2;
  Box box;
  int y = kScreenHeight - 1;
  while (y > 0 && screen.at(middle, y) != 0xC0C0C0u) --y;
  box.bottom = y;
  while (y > 0 && screen.at(middle, y) == 0xC0C0C0u) --y;
  if (y == 0 || screen.at(middle, y) != 0x000000u) return std::nullopt;
  box.button_bottom = y;
  box.left = box.right = middle;
  while (box.left > 0 && screen.at(box.left - 1, box.bottom) == 0xC0C0C0u) --box.left;
  while (box.right + 1 < kScreenWidth && screen.at(box.right + 1, box.bottom) == 0xC0C0C0u) ++box.right;
  for (int row = std::max(0, box.button_bottom - 200); row < box.button_bottom - 30; ++row) {
    if (screen.at(box.left, row) != 0xC0C0C0u) continue;  // above the box
    for (int column = box.left; column <= box.right; ++column) {
      const Pixel pixel = screen.at(column, row);
      box.red += pixel == 0xFF0000u;
      box.dark += (pixel >> 16 & 0xFF) < 0x60 && (pixel >> 8 & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60;
    }
  }
  return box;
}

class DesktopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool", "xwd", "xwdtopnm", "pnmtopng"}) {
      if (!on_path(tool)) GTEST_SKIP() << tool << " is not installed";
    }
    display_.emplace();
    ASSERT_TRUE(display_->ready()) << "Xvfb did not start";
  }

  void start_player(const fs::path& game_folder) {
    // X11 and SDL keep allocations to the end.
    player_.emplace(std::vector<std::string>{
        "env", "DISPLAY=" + display_->name(), "XDG_DATA_HOME=" + game_.data_home().string(),
        "SDL_AUDIODRIVER=dummy", "ASAN_OPTIONS=detect_leaks=0", TALLOWIND_BINARY, game_folder.string()});
    ASSERT_TRUE(player_->started());
  }

  // A window shown whose title is `name` (SDL writes the title the window
  // manager reads, _NET_WM_NAME, in UTF-8, and the old WM_NAME that xdotool
  // searches only right for ASCII).
  bool window_shown(const std::string& name) const {
    return eventually([&] {
      const std::string found = display_->run("xdotool search --onlyvisible --class '^tallowind$'");
      return !found.empty() &&
             display_->run("xdotool getwindowname " + found.substr(0, found.find('\n'))) == name + "\n";
    });
  }

  // Whether the display comes to show what `shows` accepts; `seen` is the
  // last screen taken.
  template <class Accept>
  bool screen_shows(Accept shows, Image& seen) const {
    return eventually([&] {
      seen = display_->screenshot(game_.root() / "screen.png");
      return seen.width == kScreenWidth && seen.height == kScreenHeight && shows(seen);
    });
  }

  TestGame game_;  // an empty game folder and the per-user data folder
  std::optional<VirtualDisplay> display_;
  std::optional<Child> player_;
};

TEST_F(DesktopWindow, ShowsTheReplaysScreenAfterTheSameClicksAndEndsFromItsMenu) {
  start_player(kSource / "games/demo");
  ASSERT_TRUE(window_shown("灯台の手紙")) << "the game window did not appear, titled by the game";
  Engine replay(kSource / "games/demo", U"tallowind", kScreenWidth, kScreenHeight);
  Form1& form = replay.start().form();

  // The window plays in real time what the replay plays in virtual time:
  // before each click it must show the replay's screen, text whole, or the
  // click would only complete the text.
  const auto shows_replays_screen = [&](const char* what) {
    replay.wait(1500);
    const Image expected = compose_screen(form, shared_fonts());
    Image actual;
    const auto same = [&](const Image& screen) { return differing_but_mark(form, expected, screen) == 0; };
    if (screen_shows(same, actual)) return;
    shared_pictures().save_png(expected, game_.root() / "expected.png");
    if (!actual.empty()) shared_pictures().save_png(actual, game_.root() / "actual.png");
    ADD_FAILURE() << what << " differs from the replay's screen: " << game_.root();
  };
  // The title, then records 1 to 3, as scripts/demo.replay plays them.
  shows_replays_screen("the title");
  const Rect picture = place_of_image1(form).visible;
  display_->click(picture.x + picture.width / 2, picture.y + picture.height / 2);
  replay.click(ControlId::image1);
  for (const char* record : {"record 1", "record 2"}) {
    shows_replays_screen(record);
    const ScreenPlace window = place_of_Window(form);
    display_->click(window.visible.x + 4, window.visible.y + 4);
    replay.click(ControlId::Window);
  }
  shows_replays_screen("record 3");
  ASSERT_EQ(form.Line_No, 3);

  // A right click opens the menu at the mouse: a grey panel with a 3D
  // edge, its last item "終了" at the bottom.
  const int x = picture.x + 40, y = picture.y + 40;
  const auto bottom_of_menu = [&](const Image& screen) {
    int bottom = y;
    while (bottom < y + 200 && screen.at(x + 3, bottom) != 0x000000u) ++bottom;
    return bottom;
  };
  display_->click(x, y, 3);
  Image screen;
  ASSERT_TRUE(screen_shows(
      [&](const Image& shown) {
        return shown.at(x + 1, y + 1) == 0xFFFFFFu && shown.at(x + 3, y + 1) == 0xFFFFFFu &&
               bottom_of_menu(shown) < y + 200;
      },
      screen))
      << "no menu with a light edge and a black lower edge";
  const int bottom = bottom_of_menu(screen);
  EXPECT_EQ(screen.at(x + 3, bottom - 4), 0xC0C0C0u) << "the grey face";

  // Hovering lights the item; taking "終了" ends the program.
  display_->run("xdotool mousemove " + std::to_string(x + 30) + " " + std::to_string(bottom - 10));
  EXPECT_TRUE(
      screen_shows([&](const Image& shown) { return shown.at(x + 5, bottom - 10) == 0x000080u; }, screen))
      << "the blue highlight";
  display_->click(x + 30, bottom - 10);
  EXPECT_EQ(player_->wait_exit(), std::optional<int>(0));
}

TEST_F(DesktopWindow, AFailureShowsItsMessageInABoxAndEndsWhenItIsClosed) {
  start_player(game_.root());  // no game files at all
  // Titled by the engine: the generic report of a failure in the load step
  // bears the program's title. The game window itself is never shown.
  ASSERT_TRUE(window_shown("Tallowind")) << "no message box";
  // Shown is not yet drawn: wait for the box in the middle of the screen, a
  // grey face with the red error icon, the message in black, and under it
  // the OK button in its black frame.
  std::optional<Box> box;
  Image screen;
  ASSERT_TRUE(screen_shows(
      [&](const Image& shown) {
        box = find_box(shown);
        return box && box->red > 200 && box->dark > 300;
      },
      screen))
      << "no grey box with the error icon, the message and the OK button's black frame";
  EXPECT_GT(box->right - box->left, 200);
  EXPECT_LT(box->bottom - box->button_bottom, 30);
  display_->click(kScreenWidth / 2, box->button_bottom - 10);
  EXPECT_EQ(player_->wait_exit(), std::optional<int>(1)) << "a failure ends the program with status 1";
}

}  // namespace
}  // namespace tw::test
