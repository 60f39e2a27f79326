#include "platform/headless/session.h"

#include "engine/screen_layout.h"
#include "platform/headless/state_dump.h"

namespace tw {

HeadlessSession::HeadlessSession(const SessionOptions& options, AssetLibraries assets, std::ostream& trace)
    : trace_(trace),
      screen_(options.screen_width, options.screen_height),
      dialogs_(trace_, clock_),
      game_(options.game_folder),
      media_(game_, clock_, assets.sounds, silence_),
      traced_media_(media_, trace_, clock_),
      settings_(default_settings_file()),
      platform_{screen_,   clock_,          dialogs_,     dialogs_, traced_media_,
                settings_, assets.pictures, assets.fonts, game_,    {options.program_name}},
      form_(platform_),
      player_(form_, *this) {}

void HeadlessSession::start() {
  try {
    player_.start();
  } catch (const ProgramEnded&) {
    // The end is in the trace; nothing runs after it.
  }
}

void HeadlessSession::run(const ReplayAction& action) {
  if (ended()) return;
  // Any command but "choose" closes an open menu without taking an item;
  // keys and controller buttons move in it, as they do in the window.
  if (!std::holds_alternative<ChooseCommand>(action) && !std::holds_alternative<KeyCommand>(action) &&
      !std::holds_alternative<PadCommand>(action)) {
    dialogs_.close_menu();
  }
  try {
    std::visit([this](const auto& command) { run_command(command); }, action);
  } catch (const ProgramEnded&) {
    // As above; what was read is kept, as the desktop keeps it at its end.
    player_.keep_read_marks();
  }
}

void HeadlessSession::finish_script() {
  if (ended()) return;
  player_.keep_read_marks();
  trace_.write(clock_.now_ms(), JsonObject().field("end", "script"));
}

// A click that reaches no control still reaches the player: it closes the
// history or brings the hidden message window back.
void HeadlessSession::run_command(const ClickCommand& click) {
  std::optional<MouseTarget> target = click.control;
  if (click.named_waku) {
    target.reset();  // the frame takes no mouse events
  } else if (!target) {
    target = control_at(form_, click.x, click.y);
  } else if (!receives_input(form_, *target)) {
    target.reset();
  }
  player_.click(target, click.button);
}

void HeadlessSession::run_command(const MoveCommand& move) {
  std::optional<MouseTarget> target = move.control;
  if (!target) {
    target = control_at(form_, move.x, move.y);
  } else if (!receives_input(form_, *target)) {
    return;
  }
  player_.mouse_move(target);
}

void HeadlessSession::run_command(const ChooseCommand& choose) {
  MenuItem* item = dialogs_.menu_item(choose.item);
  const bool taken = dialogs_.menu_open() && item && item->Visible && item->Enabled;
  dialogs_.close_menu();
  trace_.write(clock_.now_ms(),
               JsonObject().field("choose", std::string_view(choose.item)).field("taken", taken));
  if (taken) player_.menu_click(*item);
}

// Every timer tick due up to the end of the wait runs at its due time.
void HeadlessSession::run_command(const WaitCommand& wait) {
  const std::int64_t until = clock_.now_ms() + wait.ms;
  player_.run_due([this, until](std::int64_t due) {
    if (due > until) return false;
    clock_.set(due);
    return true;
  });
  clock_.set(until);
}

void HeadlessSession::run_command(const ShotCommand& shot) {
  Image screen;
  player_.compose(platform_.fonts, screen);
  platform_.pictures.save_png(screen, shot.file);
}

void HeadlessSession::run_command(const DumpCommand&) {
  trace_.write(clock_.now_ms(), JsonObject().raw("state", state_json(form_, player_.state())));
}

void HeadlessSession::run_command(const CloseCommand&) { player_.close(); }

void HeadlessSession::run_command(const ReloadCommand&) { player_.reload(); }

namespace {

// A press and release, or only one of them, as the script line says.
template <class Act>
void pressed(Press press, Act act) {
  if (press != Press::Up) act(true);
  if (press != Press::Down) act(false);
}

}  // namespace

// In an open menu the keys move in it, but for the screen and sound keys;
// elsewhere they are the player's.
void HeadlessSession::run_command(const KeyCommand& key) {
  if (dialogs_.menu_open() && !reaches_player_in_menu(key.name, key.modifiers)) {
    if (key.press == Press::Up) return;
    if (MenuItem* taken = dialogs_.menu_key(key.name)) player_.menu_click(*taken);
    return;
  }
  pressed(key.press, [&](bool down) { player_.key(key.name, key.modifiers, down); });
}

void HeadlessSession::run_command(const WheelCommand& wheel) { player_.wheel(wheel.notches); }

void HeadlessSession::run_command(const PadCommand& pad) {
  if (dialogs_.menu_open()) {
    if (pad.press == Press::Up) return;
    if (const auto key = menu_key_for_pad(pad.button)) {
      if (MenuItem* taken = dialogs_.menu_key(*key)) player_.menu_click(*taken);
    }
    return;
  }
  pressed(pad.press, [&](bool down) { player_.pad(pad.button, down); });
}

}  // namespace tw
