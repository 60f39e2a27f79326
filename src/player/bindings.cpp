#include "player/bindings.h"

#include <array>
#include <utility>

namespace tw {

namespace {

using Binding = std::pair<std::string_view, PlayerCommand>;

constexpr std::array kKeys{
    Binding{"Return", PlayerCommand::Advance},
    Binding{"Keypad Enter", PlayerCommand::Advance},
    Binding{"Space", PlayerCommand::Advance},
    Binding{"Up", PlayerCommand::Up},
    Binding{"Down", PlayerCommand::Down},
    Binding{"1", PlayerCommand::Choose1},
    Binding{"2", PlayerCommand::Choose2},
    Binding{"3", PlayerCommand::Choose3},
    Binding{"4", PlayerCommand::Choose4},
    Binding{"Keypad 1", PlayerCommand::Choose1},
    Binding{"Keypad 2", PlayerCommand::Choose2},
    Binding{"Keypad 3", PlayerCommand::Choose3},
    Binding{"Keypad 4", PlayerCommand::Choose4},
    Binding{"Escape", PlayerCommand::Menu},
    Binding{"Left Ctrl", PlayerCommand::SkipHeld},
    Binding{"Right Ctrl", PlayerCommand::SkipHeld},
    Binding{"Tab", PlayerCommand::SkipRead},
    Binding{"A", PlayerCommand::Auto},
    Binding{"PageUp", PlayerCommand::Back},
    Binding{"PageDown", PlayerCommand::Forward},
    Binding{"H", PlayerCommand::Hide},
    Binding{"F11", PlayerCommand::FullScreen},
    Binding{"F12", PlayerCommand::Screenshot},
    Binding{"+", PlayerCommand::VolumeUp},
    Binding{"=", PlayerCommand::VolumeUp},
    Binding{"Keypad +", PlayerCommand::VolumeUp},
    Binding{"-", PlayerCommand::VolumeDown},
    Binding{"Keypad -", PlayerCommand::VolumeDown},
    Binding{"M", PlayerCommand::Mute},
    Binding{"F1", PlayerCommand::Help},
};

constexpr std::array kPadButtons{
    Binding{"a", PlayerCommand::Advance},
    Binding{"b", PlayerCommand::Cancel},
    Binding{"y", PlayerCommand::Hide},
    Binding{"start", PlayerCommand::Menu},
    Binding{"dpup", PlayerCommand::Up},
    Binding{"dpdown", PlayerCommand::Down},
    Binding{"leftshoulder", PlayerCommand::Back},
    Binding{"rightshoulder", PlayerCommand::SkipHeld},
};

using MenuKey = std::pair<std::string_view, std::string_view>;

constexpr std::array kMenuKeysForPad{
    MenuKey{"dpup", "Up"},       MenuKey{"dpdown", "Down"}, MenuKey{"dpleft", "Left"},
    MenuKey{"dpright", "Right"}, MenuKey{"a", "Return"},    MenuKey{"b", "Escape"},
    MenuKey{"start", "Escape"},
};

template <class Value, std::size_t N>
std::optional<Value> look_up(const std::array<std::pair<std::string_view, Value>, N>& table,
                             std::string_view name) {
  for (const auto& [bound, value] : table) {
    if (bound == name) return value;
  }
  return std::nullopt;
}

}  // namespace

std::optional<PlayerCommand> command_for_key(std::string_view name, KeyModifiers modifiers) {
  // Alt+Return is the desktop's own full screen key; Return alone advances.
  if (modifiers.alt && (name == "Return" || name == "Keypad Enter")) return PlayerCommand::FullScreen;
  if (modifiers.alt) return std::nullopt;
  return look_up(kKeys, name);
}

std::optional<PlayerCommand> command_for_pad(std::string_view button) { return look_up(kPadButtons, button); }

std::optional<std::string_view> menu_key_for_pad(std::string_view button) {
  return look_up(kMenuKeysForPad, button);
}

bool reaches_player_in_menu(std::string_view key, KeyModifiers modifiers) {
  const std::optional<PlayerCommand> bound = command_for_key(key, modifiers);
  return bound && is_global(*bound);
}

bool is_global(PlayerCommand command) {
  switch (command) {
    case PlayerCommand::FullScreen:
    case PlayerCommand::Screenshot:
    case PlayerCommand::VolumeUp:
    case PlayerCommand::VolumeDown:
    case PlayerCommand::Mute:
      return true;
    default:
      return false;
  }
}

}  // namespace tw
