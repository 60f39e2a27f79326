#pragma once

#include <ostream>

#include "engine/form1.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/replay_script.h"
#include "platform/headless/trace.h"
#include "platform/sqlite_store.h"
#include "player/player.h"
#include "sound/mci_interpreter.h"

namespace tw {

struct SessionOptions {
  int screen_width = 1024;
  int screen_height = 768;
  std::filesystem::path game_folder;
  Text program_name;
};

// The game window on the headless platform: virtual time, a screen in
// memory, message boxes and menus written to the trace. The replay drives
// it from a script; tests drive it directly.
class HeadlessSession : private PlayerHost {
 public:
  HeadlessSession(const SessionOptions& options, AssetLibraries assets, std::ostream& trace);

  // Creates the window: the load step and the first presentation.
  void start();
  // Runs one script command. Nothing runs once the program has ended.
  void run(const ReplayAction& action);
  // Ends a script that ran to its last line with the program still running.
  void finish_script();

  bool ended() const { return dialogs_.ended().has_value(); }
  // The failure box that ended the program, in one line, if one did.
  std::optional<std::string> failure() const {
    if (dialogs_.ended() != EndReason::Failure) return std::nullopt;
    return dialogs_.last_failure();
  }
  Form1& form() { return form_; }
  Player& player() { return player_; }
  std::int64_t now_ms() const { return clock_.now_ms(); }

 private:
  void run_command(const ClickCommand& click);
  void run_command(const MoveCommand& move);
  void run_command(const ChooseCommand& choose);
  void run_command(const WaitCommand& wait);
  void run_command(const ShotCommand& shot);
  void run_command(const DumpCommand&);
  void run_command(const CloseCommand&);
  void run_command(const ReloadCommand&);
  void run_command(const KeyCommand& key);
  void run_command(const WheelCommand& wheel);
  void run_command(const PadCommand& pad);
  // Nothing to show or hear: the state dump tells what the player chose.
  void show_full_screen(bool) override {}
  void set_loudness(double) override {}
  void set_title(TextView) override {}

  Trace trace_;
  VirtualClock clock_;
  HeadlessScreen screen_;
  HeadlessDialogs dialogs_;
  GameFolder game_;
  SilentOutput silence_;
  MciInterpreter media_;
  TracedMedia traced_media_;
  SqliteStore settings_;
  Platform platform_;
  Form1 form_;
  Player player_;
};

}  // namespace tw
