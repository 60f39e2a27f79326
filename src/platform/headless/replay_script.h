#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/screen_layout.h"
#include "player/bindings.h"

namespace tw {

struct ClickCommand {
  std::optional<MouseTarget> control;  // a named control, or else the point
  bool named_waku = false;             // "click waku": a control without handler
  int x = 0;
  int y = 0;
  int button = kLeftButton;
};

struct MoveCommand {
  std::optional<MouseTarget> control;
  int x = 0;
  int y = 0;
};

struct ChooseCommand {
  std::string item;
};

struct WaitCommand {
  std::int64_t ms = 0;
};

struct ShotCommand {
  std::string file;
};

struct DumpCommand {};
struct CloseCommand {};
struct ReloadCommand {};

// A key or a controller button: pressed and released, or only one of them.
enum class Press { DownAndUp, Down, Up };

struct KeyCommand {
  std::string name;  // as SDL names the key: "Return", "Left Ctrl", "Keypad +"
  KeyModifiers modifiers;
  Press press = Press::DownAndUp;
};

struct WheelCommand {
  int notches = 1;  // up positive, down negative
};

struct PadCommand {
  std::string button;  // as SDL names game controller buttons: "a", "dpup"
  Press press = Press::DownAndUp;
};

using ReplayAction =
    std::variant<ClickCommand, MoveCommand, ChooseCommand, WaitCommand, ShotCommand, DumpCommand,
                 CloseCommand, KeyCommand, WheelCommand, PadCommand, ReloadCommand>;

struct ReplayLine {
  int line_number = 0;
  ReplayAction action;
};

// Thrown for a script line that is not a command: the message names the line.
struct ScriptError {
  std::string message;
};

// Reads a whole replay script. Blank lines and lines whose first non-blank
// character is "#" are skipped.
std::vector<ReplayLine> parse_replay_script(std::string_view script);

}  // namespace tw
