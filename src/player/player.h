#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "engine/compositor.h"
#include "engine/form1.h"
#include "engine/screen_layout.h"
#include "player/bindings.h"
#include "player/read_marks.h"

namespace tw {

enum class SkipMode { Off, Read, All };

// The player's comforts as the state dump shows them.
struct PlayerState {
  SkipMode skip = SkipMode::Off;
  bool auto_mode = false;
  int backlog = 0;  // pages back in the history; 0 when it is closed
  bool window_hidden = false;
  bool fullscreen = true;
  int volume = 100;
  bool muted = false;
};

// What a platform does for the player beyond the engine's own interfaces.
class PlayerHost {
 public:
  virtual ~PlayerHost() = default;
  virtual void show_full_screen(bool full_screen) = 0;
  // How loud music and sounds play: 0 silent to 1 as the files are.
  virtual void set_loudness(double loudness) = 0;
  // The window's title: the game's.
  virtual void set_title(TextView title) = 0;
};

// What players of today expect around the game: keys, the wheel and a game
// controller, skip, auto mode, the history, hiding the message window, full
// screen, screenshots and the volume. The player turns its inputs into the
// engine's own events (a key that advances is a left click where the player
// would click) and watches what the engine shows; it never changes what the
// game does, and a player who only uses the mouse sees no change at all.
//
// The platform hands every input and timer tick through here, so that the
// player sees what happens.
class Player {
 public:
  // `full_screen` decides full screen or a window for this play alone;
  // without it the player's remembered choice does.
  Player(Form1& form, PlayerHost& host, std::optional<bool> full_screen = std::nullopt);

  // Creates the window (the engine's load step and first presentation).
  void start();

  void key(std::string_view name, KeyModifiers modifiers, bool down);
  void pad(std::string_view button, bool down);
  // Positive notches turn the wheel up (away from the player), negative down.
  void wheel(int notches);
  // A mouse button pressed over `target` (nothing: where no control takes
  // it). A click that closes the history, the help or brings the hidden
  // message window back, or stops skip or auto mode, does only that.
  void click(std::optional<MouseTarget> target, int button);
  void mouse_move(std::optional<MouseTarget> target);
  void menu_click(MenuItem& item);
  void close();
  // Debug mode's edit-and-see (nothing in normal mode): the engine reads the
  // game's files again and shows the record on screen anew; its page in the
  // history is taken again from the new text.
  void reload();
  // Files of the game folder that were written: reloads when one of them is
  // a file of the record on screen.
  void files_written(const std::vector<std::filesystem::path>& files);

  // Runs the engine's timer ticks and the player's own steps (the skip's
  // frames, auto mode's pause, the end of an indicator) in time order, for
  // as long as `runs_now` lets the next one run: it is asked with that due
  // time first, so a platform in virtual time can move its clock there. On
  // a tie the engine's tick runs first. Returns the due time it did not let
  // run, or nothing when nothing is due.
  std::optional<std::int64_t> run_due(const std::function<bool(std::int64_t due)>& runs_now);

  // The screen as the player sees it: the game, and over it what is open.
  void compose(Fonts& fonts, Image& screen) const;
  // The screen without the player's own indicators: what a screenshot keeps.
  void compose_game(Fonts& fonts, Image& screen) const;

  PlayerState state() const;
  bool help_shown() const { return help_; }
  // Writes the read records not yet kept; the platform calls it at the end.
  void keep_read_marks();

 private:
  struct Page {
    std::uint64_t visit = 0;
    std::array<Text, kMessageLines> lines;
  };
  struct Indicator {
    Text text;
    std::int64_t until = 0;
  };

  void press(std::optional<PlayerCommand> bound, bool down);
  void command(PlayerCommand command);
  void global_command(PlayerCommand command);
  void history_command(PlayerCommand command);
  bool stops_a_mode();
  bool advance();
  void open_menu();
  bool click_where_the_player_would(int button);
  void move_highlight(int step);
  void choose(int index);
  bool choices_waiting() const;
  bool at_end() const;
  bool page_whole() const;
  bool offered(int index) const;
  int past_pages() const;
  const Page* shown_page() const;
  void skip_frame(std::int64_t now);
  void observe();
  void set_volume(int volume, bool muted);
  void take_screenshot();
  void indicate(Text text, std::int64_t duration_ms);
  std::optional<std::int64_t> own_due() const;
  void run_own(std::int64_t due);
  void load_preferences();
  void keep_preferences();
  template <class Steps>
  void with_store(Steps&& steps);

  Form1& form_;
  PlayerHost& host_;
  std::optional<bool> full_screen_this_play_;
  std::optional<ReadMarks> marks_;  // once the game's title is known
  bool store_failed_ = false;

  SkipMode skip_ = SkipMode::Off;
  std::int64_t skip_due_ = 0;
  bool auto_ = false;
  std::int64_t auto_since_ = 0;
  std::optional<std::int64_t> whole_since_;
  std::optional<std::int64_t> auto_due_;
  std::optional<std::int64_t> keep_marks_due_;
  int backlog_ = 0;
  bool hidden_ = false;
  bool help_ = false;
  bool fullscreen_ = true;
  int volume_ = 100;
  bool muted_ = false;
  std::optional<Indicator> indicator_;

  // What the player saw: the record on screen, whether it had been read
  // before it came, and the pages of this play.
  std::array<std::int16_t, 2> at_{-1, -2};
  std::uint64_t visit_ = 0;
  bool arrived_read_before_ = false;
  bool highlight_known_ = false;
  std::uint32_t plays_begun_ = 0;
  std::deque<Page> pages_;
};

const char* skip_mode_name(SkipMode mode);

}  // namespace tw
