#include "platform/headless/session.h"

#include "engine/compositor.h"
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
      form_(platform_) {}

void HeadlessSession::start() {
  try {
    form_.create();
  } catch (const ProgramEnded&) {
    // The end is in the trace; nothing runs after it.
  }
}

void HeadlessSession::run(const ReplayAction& action) {
  if (ended()) return;
  // Any command but "choose" closes an open menu without taking an item.
  if (!std::holds_alternative<ChooseCommand>(action)) dialogs_.close_menu();
  try {
    std::visit([this](const auto& command) { run_command(command); }, action);
  } catch (const ProgramEnded&) {
    // As above.
  }
}

void HeadlessSession::finish_script() {
  if (!ended()) trace_.write(clock_.now_ms(), JsonObject().field("end", "script"));
}

void HeadlessSession::run_command(const ClickCommand& click) {
  if (click.named_waku) return;  // the frame takes no mouse events
  std::optional<MouseTarget> target = click.control;
  if (!target) {
    target = control_at(form_, click.x, click.y);
  } else if (!receives_input(form_, *target)) {
    return;
  }
  if (target) form_.mouse_down(target->control, target->index, click.button);
}

void HeadlessSession::run_command(const MoveCommand& move) {
  std::optional<MouseTarget> target = move.control;
  if (!target) {
    target = control_at(form_, move.x, move.y);
  } else if (!receives_input(form_, *target)) {
    return;
  }
  if (target && target->control == ControlId::Message) form_.mouse_move(target->control, target->index);
}

void HeadlessSession::run_command(const ChooseCommand& choose) {
  MenuItem* item = dialogs_.menu_item(choose.item);
  const bool taken = dialogs_.menu_open() && item && item->Visible && item->Enabled;
  dialogs_.close_menu();
  trace_.write(clock_.now_ms(),
               JsonObject().field("choose", std::string_view(choose.item)).field("taken", taken));
  if (taken) form_.menu_click(*item);
}

// Every timer tick due up to the end of the wait runs at its due time.
void HeadlessSession::run_command(const WaitCommand& wait) {
  const std::int64_t until = clock_.now_ms() + wait.ms;
  form_.run_due_timers([this, until](std::int64_t due) {
    if (due > until) return false;
    clock_.set(due);
    return true;
  });
  clock_.set(until);
}

void HeadlessSession::run_command(const ShotCommand& shot) {
  platform_.pictures.save_png(compose_screen(form_, platform_.fonts), shot.file);
}

void HeadlessSession::run_command(const DumpCommand&) {
  trace_.write(clock_.now_ms(), JsonObject().raw("state", state_json(form_)));
}

void HeadlessSession::run_command(const CloseCommand&) { form_.close(); }

}  // namespace tw
