#include "player/player.h"

#include <algorithm>
#include <iostream>

#include "base/failure.h"
#include "base/number.h"
#include "data/settings.h"
#include "player/overlays.h"
#include "player/screenshots.h"
#include "script/type_line.h"

namespace tw {

namespace {

// One record a frame of a 60 Hz screen.
constexpr std::int64_t kSkipFrameMs = 16;
// Auto mode's pause once a page is whole: a moment, and time to read it.
constexpr std::int64_t kAutoPauseMs = 1000;
constexpr std::int64_t kAutoPausePerCharacterMs = 80;
// Newly read records are written a while after the first of them, and at
// the end: one write for a run of clicks or a skip, not one a record.
constexpr std::int64_t kKeepMarksAfterMs = 5000;
constexpr std::size_t kHistoryPages = 200;
constexpr int kVolumeStep = 10;
constexpr std::int64_t kIndicatorMs = 1000;
constexpr std::int64_t kNoticeMs = 2500;

constexpr char32_t kPreferences[] = U"Tallowind/player";
constexpr char32_t kPreferencesSection[] = U"preferences";

// A stored volume, on the scale of the volume keys; anything else is full.
int volume_setting(const Text& text) {
  if (text.empty() || text.size() > 3) return 100;
  int volume = 0;
  for (const char32_t c : text) {
    if (c < U'0' || c > U'9') return 100;
    volume = volume * 10 + static_cast<int>(c - U'0');
  }
  return std::min(volume, 100) / kVolumeStep * kVolumeStep;
}

}  // namespace

const char* skip_mode_name(SkipMode mode) {
  switch (mode) {
    case SkipMode::Read:
      return "read";
    case SkipMode::All:
      return "all";
    default:
      return "off";
  }
}

Player::Player(Form1& form, PlayerHost& host, std::optional<bool> full_screen)
    : form_(form), host_(host), full_screen_this_play_(full_screen) {}

// The store keeps comforts only: when it fails the game goes on without
// them, and the player is told once why they are not kept.
template <class Steps>
void Player::with_store(Steps&& steps) {
  if (store_failed_) return;
  try {
    steps();
  } catch (const Failure& failure) {
    store_failed_ = true;
    std::cerr << "tallowind: read records and player settings are not kept: " << failure.what() << '\n';
  }
}

void Player::start() {
  load_preferences();
  fullscreen_ = full_screen_this_play_.value_or(fullscreen_);
  host_.show_full_screen(fullscreen_);
  host_.set_loudness(muted_ ? 0.0 : volume_ / 100.0);
  form_.create();
  // The title is known once the game's files are read.
  const Text& title = form_.Main_List.line(setting::kTitle);
  host_.set_title(title.empty() ? Text(U"Tallowind") : title);
  marks_.emplace(form_.platform().settings, title);
  plays_begun_ = form_.plays_begun;
  observe();
}

// ---- Inputs -----------------------------------------------------------------

void Player::key(std::string_view name, KeyModifiers modifiers, bool down) {
  press(command_for_key(name, modifiers), down);
}

void Player::pad(std::string_view button, bool down) { press(command_for_pad(button), down); }

// A key or button acts when pressed; only the held skip ends when released.
void Player::press(std::optional<PlayerCommand> bound, bool down) {
  if (!bound) return;
  if (down) {
    command(*bound);
  } else if (*bound == PlayerCommand::SkipHeld && skip_ == SkipMode::All) {
    skip_ = SkipMode::Off;
  }
}

void Player::wheel(int notches) {
  for (int n = 0; n < std::abs(notches); ++n)
    command(notches > 0 ? PlayerCommand::Back : PlayerCommand::Forward);
}

void Player::click(std::optional<MouseTarget> target, int button) {
  if (help_ || hidden_ || backlog_ > 0) {
    help_ = hidden_ = false;
    backlog_ = 0;
    return;
  }
  if (stops_a_mode()) return;
  if (target) form_.mouse_down(target->control, target->index, button);
  observe();
}

void Player::mouse_move(std::optional<MouseTarget> target) {
  if (!target || target->control != ControlId::Message) return;
  form_.mouse_move(target->control, target->index);
  if (choices_waiting() && offered(target->index)) highlight_known_ = true;
}

void Player::menu_click(MenuItem& item) {
  form_.menu_click(item);
  observe();
}

void Player::close() {
  keep_read_marks();
  form_.close();
}

void Player::reload() {
  if (!form_.reload()) return;
  if (!pages_.empty() && pages_.back().visit == visit_) pages_.pop_back();
  whole_since_.reset();
  auto_due_.reset();
  observe();
}

void Player::files_written(const std::vector<std::filesystem::path>& files) {
  const GameFolder& game = form_.platform().game;
  for (const Text& shown : form_.files_on_screen()) {
    const std::optional<std::filesystem::path> file = game.resolve(shown);
    if (!file) continue;
    for (const std::filesystem::path& written : files) {
      std::error_code unreadable;
      if (std::filesystem::equivalent(*file, written, unreadable)) {
        reload();
        return;
      }
    }
  }
}

// Any input but the screen and sound keys stops skipping and auto mode, and
// does nothing else: a player who presses a key to stop does not lose a page.
bool Player::stops_a_mode() {
  const bool stopped = skip_ != SkipMode::Off || auto_;
  skip_ = SkipMode::Off;
  auto_ = false;
  auto_due_.reset();
  return stopped;
}

void Player::command(PlayerCommand command) {
  if (is_global(command)) {
    global_command(command);
    return;
  }
  if (help_ || hidden_) {
    help_ = hidden_ = false;
    return;
  }
  if (backlog_ > 0) {
    history_command(command);
    return;
  }
  const bool toggles_a_mode = command == PlayerCommand::SkipHeld || command == PlayerCommand::SkipRead ||
                              command == PlayerCommand::Auto;
  const SkipMode skip_before = skip_;
  const bool auto_before = auto_;
  if (stops_a_mode() && !toggles_a_mode) return;
  const std::int64_t now = form_.platform().clock.now_ms();
  switch (command) {
    case PlayerCommand::Advance:
    case PlayerCommand::Forward:
      advance();
      break;
    case PlayerCommand::Up:
      move_highlight(-1);
      break;
    case PlayerCommand::Down:
      move_highlight(1);
      break;
    case PlayerCommand::Choose1:
    case PlayerCommand::Choose2:
    case PlayerCommand::Choose3:
    case PlayerCommand::Choose4:
      choose(static_cast<int>(command) - static_cast<int>(PlayerCommand::Choose1));
      break;
    case PlayerCommand::Menu:
      open_menu();
      break;
    case PlayerCommand::SkipHeld:
      skip_ = SkipMode::All;
      skip_due_ = now;
      break;
    case PlayerCommand::SkipRead:
      if (skip_before != SkipMode::Read) {
        skip_ = SkipMode::Read;
        skip_due_ = now;
      }
      break;
    case PlayerCommand::Auto:
      auto_ = !auto_before;
      auto_since_ = now;
      break;
    case PlayerCommand::Back:
      if (past_pages() > 0) backlog_ = 1;
      break;
    case PlayerCommand::Hide:
      hidden_ = form_.waku.Visible && form_.form.Visible;
      break;
    case PlayerCommand::Help:
      help_ = true;
      break;
    default:
      break;
  }
  observe();
}

void Player::global_command(PlayerCommand command) {
  switch (command) {
    case PlayerCommand::FullScreen:
      fullscreen_ = !fullscreen_;
      host_.show_full_screen(fullscreen_);
      keep_preferences();
      break;
    case PlayerCommand::Screenshot:
      take_screenshot();
      break;
    case PlayerCommand::VolumeUp:
      set_volume(std::min(100, volume_ + kVolumeStep), false);
      break;
    case PlayerCommand::VolumeDown:
      set_volume(std::max(0, volume_ - kVolumeStep), false);
      break;
    case PlayerCommand::Mute:
      set_volume(volume_, !muted_);
      break;
    default:
      break;
  }
}

// Up goes further back, down comes forward and past the newest page closes
// the history; anything else closes it.
void Player::history_command(PlayerCommand command) {
  switch (command) {
    case PlayerCommand::Back:
    case PlayerCommand::Up:
      backlog_ = std::min(backlog_ + 1, past_pages());
      break;
    case PlayerCommand::Forward:
    case PlayerCommand::Down:
      --backlog_;
      break;
    default:
      backlog_ = 0;
      break;
  }
}

// ---- What a key does in the game ---------------------------------------------

// A left click where the player would click: on the message window while it
// is shown, else on the main picture. Where no click would be received (a
// timed run of pictures), nothing.
bool Player::advance() { return click_where_the_player_would(kLeftButton); }

// What a right click opens there: the menu.
void Player::open_menu() { click_where_the_player_would(kRightButton); }

bool Player::click_where_the_player_would(int button) {
  for (const ControlId control : {ControlId::Window, ControlId::image1}) {
    if (receives_input(form_, {control, 0})) {
      form_.mouse_down(control, 0, button);
      return true;
    }
  }
  return false;
}

bool Player::choices_waiting() const {
  return kind_of(form_.GAME_List.line(form_.Line_No)) == RecordKind::Command && form_.Choice_Wait == -1;
}

bool Player::at_end() const { return kind_of(form_.GAME_List.line(form_.Line_No)) == RecordKind::End; }

bool Player::offered(int index) const {
  return index >= 0 && index < kMessageLines && form_.Choice_Jump[index] != 0 &&
         receives_input(form_, {ControlId::Message, index});
}

// The highlight moves as the mouse moves it over a choice; the first press
// on a page of choices highlights the first one.
void Player::move_highlight(int step) {
  if (!choices_waiting()) return;
  int index = form_.Choice_Hover + step;
  if (!highlight_known_) {
    index = 0;
    step = 1;
  }
  for (; index >= 0 && index < kMessageLines; index += step) {
    if (offered(index)) {
      form_.mouse_move(ControlId::Message, index);
      highlight_known_ = true;
      return;
    }
  }
}

void Player::choose(int index) {
  if (!choices_waiting() || !offered(index)) return;
  form_.mouse_move(ControlId::Message, index);
  advance();
}

// ---- Watching the engine -------------------------------------------------------

bool Player::page_whole() const {
  return form_.form.Visible && form_.waku.Visible && form_.Window.Visible && form_.Text_Running == 0;
}

// Called after every event: notes the record on screen as read, keeps the
// pages of this play, and lets skip and auto mode stop where they must.
void Player::observe() {
  const std::int64_t now = form_.platform().clock.now_ms();
  if (form_.plays_begun != plays_begun_) {
    plays_begun_ = form_.plays_begun;
    pages_.clear();
    backlog_ = 0;
  }
  const std::array<std::int16_t, 2> here{form_.Scene_No, form_.Line_No};
  if (here != at_) {
    at_ = here;
    ++visit_;
    highlight_known_ = false;
    whole_since_.reset();
    auto_due_.reset();
    // Without the store nothing counts as read: skipping stops at once.
    arrived_read_before_ = false;
    if (marks_)
      with_store([&] {
        arrived_read_before_ = marks_->mark(here[0], here[1]);
        if (marks_->unsaved() && !keep_marks_due_) keep_marks_due_ = now + kKeepMarksAfterMs;
      });
  }
  if (page_whole()) {
    if (!whole_since_) whole_since_ = now;
    if (pages_.empty() || pages_.back().visit != visit_) {
      Page page{visit_, {}};
      for (int i = 0; i < kMessageLines; ++i) page.lines[i] = form_.Message[i].Caption;
      pages_.push_back(std::move(page));
      if (pages_.size() > kHistoryPages) pages_.pop_front();
    }
  }
  if (choices_waiting() || at_end() || !form_.form.Visible) {
    skip_ = SkipMode::Off;
    auto_ = false;
    auto_due_.reset();
  }
  // The pause runs from when the page was whole, or from when auto mode was
  // turned on over a whole page.
  if (auto_ && whole_since_ && !auto_due_ && receives_input(form_, {ControlId::Window, 0})) {
    std::int64_t characters = 0;
    for (int i = 0; i < kMessageLines; ++i)
      characters += static_cast<std::int64_t>(form_.Message[i].Caption.size());
    auto_due_ = std::max(*whole_since_, auto_since_) + kAutoPauseMs + kAutoPausePerCharacterMs * characters;
  }
}

// Past pages: those before the one on screen.
int Player::past_pages() const {
  if (pages_.empty()) return 0;
  const bool current_kept = pages_.back().visit == visit_;
  return static_cast<int>(pages_.size()) - (current_kept ? 1 : 0);
}

const Player::Page* Player::shown_page() const {
  if (backlog_ <= 0 || backlog_ > past_pages()) return nullptr;
  return &pages_[static_cast<std::size_t>(past_pages() - backlog_)];
}

// ---- Time ----------------------------------------------------------------------

// A frame of skipping leaves the record on screen and shows the next one
// whole, so that every record passed is on the screen for a frame. Skipping
// what was read stops at a record not read before, with its text still to
// come as usual.
void Player::skip_frame(std::int64_t now) {
  skip_due_ = now + kSkipFrameMs;
  if (choices_waiting() || at_end()) {
    skip_ = SkipMode::Off;
    return;
  }
  if (skip_ == SkipMode::Read && !arrived_read_before_) {
    skip_ = SkipMode::Off;
    return;
  }
  const auto complete_reveal = [this] {
    if (form_.Text_Running == -1 && receives_input(form_, {ControlId::Window, 0})) {
      form_.mouse_down(ControlId::Window, 0, kLeftButton);
    }
  };
  complete_reveal();       // the record on screen, when skipping began during its reveal
  if (!advance()) return;  // a timed run of pictures goes on at its pace
  observe();
  if (skip_ == SkipMode::Read && !arrived_read_before_) {
    skip_ = SkipMode::Off;
    return;
  }
  if (skip_ != SkipMode::Off) complete_reveal();
}

std::optional<std::int64_t> Player::own_due() const {
  std::optional<std::int64_t> due;
  const auto consider = [&due](std::optional<std::int64_t> time) {
    if (time && (!due || *time < *due)) due = time;
  };
  if (skip_ != SkipMode::Off) consider(skip_due_);
  consider(auto_due_);
  consider(keep_marks_due_);
  if (indicator_) consider(indicator_->until);
  return due;
}

void Player::run_own(std::int64_t due) {
  if (skip_ != SkipMode::Off && skip_due_ <= due) skip_frame(due);
  if (auto_due_ && *auto_due_ <= due) {
    auto_due_.reset();
    advance();
  }
  if (keep_marks_due_ && *keep_marks_due_ <= due) keep_read_marks();
  if (indicator_ && indicator_->until <= due) indicator_.reset();
}

std::optional<std::int64_t> Player::run_due(const std::function<bool(std::int64_t due)>& runs_now) {
  for (;;) {
    const std::optional<int> timer = form_.next_timer();
    const std::optional<std::int64_t> own = own_due();
    if (!timer && !own) return std::nullopt;
    const bool engine_first = timer && (!own || form_.timer(*timer).due <= *own);
    const std::int64_t due = engine_first ? form_.timer(*timer).due : *own;
    if (!runs_now(due)) return due;
    if (engine_first) {
      form_.run_timer(*timer);
    } else {
      run_own(due);
    }
    observe();
  }
}

void Player::keep_read_marks() {
  keep_marks_due_.reset();
  if (marks_) with_store([this] { marks_->save(); });
}

// ---- Screen and sound -------------------------------------------------------------

void Player::compose_game(Fonts& fonts, Image& screen) const {
  ScreenView view;
  view.hide_message_window = hidden_;
  if (const Page* page = shown_page()) view.page = &page->lines;
  compose_screen(form_, fonts, screen, view);
}

void Player::compose(Fonts& fonts, Image& screen) const {
  compose_game(fonts, screen);
  if (!form_.form.Visible) return;
  const OverlayFont font{form_.Message[0].Font, label_pixels_per_inch(form_)};
  const Rect picture = place_of_image1(form_).visible;
  // Skip and auto mode exclude each other and the history stops both, so
  // one badge at most is shown on the left.
  if (skip_ != SkipMode::Off) draw_badge(screen, fonts, font, U"スキップ", Corner::TopLeft, picture);
  if (auto_) draw_badge(screen, fonts, font, U"オート", Corner::TopLeft, picture);
  if (backlog_ > 0) {
    draw_badge(screen, fonts, font, U"履歴 " + decimal_text(backlog_) + U"/" + decimal_text(past_pages()),
               Corner::TopLeft, picture);
  }
  if (indicator_) draw_badge(screen, fonts, font, indicator_->text, Corner::TopRight, picture);
  if (help_) draw_help(screen, fonts, font, picture);
}

void Player::indicate(Text text, std::int64_t duration_ms) {
  indicator_ = Indicator{std::move(text), form_.platform().clock.now_ms() + duration_ms};
}

void Player::set_volume(int volume, bool muted) {
  volume_ = volume;
  muted_ = muted;
  host_.set_loudness(muted_ ? 0.0 : volume_ / 100.0);
  indicate(muted_ ? Text(U"音量 消音") : U"音量 " + decimal_text(volume_), kIndicatorMs);
  keep_preferences();
}

void Player::take_screenshot() {
  Image screen;
  compose_game(form_.platform().fonts, screen);
  const ScreenshotResult result =
      save_screenshot(form_.platform().pictures, screen, form_.Main_List.line(setting::kTitle));
  indicate(result.saved ? U"スクリーンショット " + result.name : Text(U"スクリーンショットを保存できません"),
           kNoticeMs);
  if (!result.saved) std::cerr << "tallowind: the screenshot was not saved: " << result.reason << '\n';
}

PlayerState Player::state() const { return {skip_, auto_, backlog_, hidden_, fullscreen_, volume_, muted_}; }

void Player::load_preferences() {
  with_store([this] {
    SettingsStore& store = form_.platform().settings;
    const auto read = [&store](TextView key, TextView fallback) {
      return store.read(kPreferences, kPreferencesSection, key, fallback);
    };
    fullscreen_ = read(U"fullscreen", U"1") != U"0";
    volume_ = volume_setting(read(U"volume", U"100"));
    muted_ = read(U"muted", U"0") == U"1";
  });
}

void Player::keep_preferences() {
  with_store([this] {
    form_.platform().settings.write_all(kPreferences, kPreferencesSection,
                                        {{U"fullscreen", fullscreen_ ? U"1" : U"0"},
                                         {U"volume", decimal_text(volume_)},
                                         {U"muted", muted_ ? U"1" : U"0"}});
  });
}

}  // namespace tw
