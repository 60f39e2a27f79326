#pragma once

#include <optional>
#include <string_view>

namespace tw {

// What a key, a wheel notch or a controller button asks of the player. What
// each one then does depends on what is open: the history, the help, the
// hidden message window, choices or plain reading.
enum class PlayerCommand {
  Advance,  // Return, Space, the controller's a
  Up,       // the highlight of the choices moves up
  Down,     // ... and down
  Choose1,  // 1 to 4: that choice at once
  Choose2,
  Choose3,
  Choose4,
  Menu,        // Escape, the controller's start: the menu, or closing what is open
  Cancel,      // the controller's b: closes what is open
  SkipHeld,    // Ctrl, the right shoulder: skip while held
  SkipRead,    // Tab: skipping of what was read before, on or off
  Auto,        // A
  Back,        // PageUp, wheel up, the left shoulder: the history, further back
  Forward,     // PageDown, wheel down: forward in the history, else advance
  Hide,        // H, the controller's y
  FullScreen,  // F11, Alt+Return
  Screenshot,  // F12
  VolumeUp,    // +, =, Keypad +
  VolumeDown,  // -, Keypad -
  Mute,        // M
  Help,        // F1
};

// Modifier keys held with a key.
struct KeyModifiers {
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
};

// The command of a key by its name as SDL names it ("Return", "Left Ctrl",
// "Keypad +"), or nothing for a key the player does not use.
std::optional<PlayerCommand> command_for_key(std::string_view name, KeyModifiers modifiers);
// The command of a game controller button by SDL's name ("a", "dpup").
std::optional<PlayerCommand> command_for_pad(std::string_view button);

// In an open menu the controller works as the arrow keys, Return and Escape:
// the name of the key a button stands for.
std::optional<std::string_view> menu_key_for_pad(std::string_view button);

// Commands about the screen and the sound rather than the game: they never
// stop a skip or auto mode, and they work whatever is open.
bool is_global(PlayerCommand command);
// Whether a key goes to the player even while a popup menu is open, where
// the other keys move in the menu: full screen is never a trap.
bool reaches_player_in_menu(std::string_view key, KeyModifiers modifiers);

}  // namespace tw
