#include "platform/headless/replay_script.h"

#include <charconv>
#include <sstream>
#include <utility>

namespace tw {

namespace {

constexpr std::string_view kMenuItems[] = {
    "Message_Mode_standard", "Message_Mode", "RESTART", "Load", "save", "END_GAME"};

std::vector<std::string> words_of(std::string_view line) {
  std::vector<std::string> words;
  std::istringstream in{std::string(line)};
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

[[noreturn]] void reject(int line_number, const std::string& why) {
  throw ScriptError{"line " + std::to_string(line_number) + ": " + why};
}

template <class Number>
std::optional<Number> number_of(const std::string& word) {
  Number value{};
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::optional<int> button_of(const std::string& word) {
  if (word == "left") return kLeftButton;
  if (word == "right") return kRightButton;
  if (word == "middle") return kMiddleButton;
  return std::nullopt;
}

std::optional<MouseTarget> message_label(const std::string& word) {
  for (int i = 0; i < kMessageLabels; ++i) {
    if (word == "Message(" + std::to_string(i) + ")") return MouseTarget{ControlId::Message, i};
  }
  return std::nullopt;
}

std::optional<MouseTarget> clickable_control(const std::string& word) {
  if (word == "image1") return MouseTarget{ControlId::image1, 0};
  if (word == "Window") return MouseTarget{ControlId::Window, 0};
  if (word == "waku") return MouseTarget{ControlId::waku, 0};
  return message_label(word);
}

// "X Y" or "CONTROL" at the front of the arguments; returns the words used.
template <class Command>
std::size_t read_place(Command& command, const std::vector<std::string>& args, int line_number,
                       std::optional<MouseTarget> (*control_named)(const std::string&)) {
  if (args.empty()) reject(line_number, "a position or a control is missing");
  if (const auto control = control_named(args[0])) {
    command.control = control;
    return 1;
  }
  const auto x = number_of<int>(args[0]);
  const auto y = args.size() > 1 ? number_of<int>(args[1]) : std::nullopt;
  if (!x || !y) reject(line_number, "\"" + args[0] + "\" is neither a control nor a position X Y");
  command.x = *x;
  command.y = *y;
  return 2;
}

ReplayAction parse_click(const std::vector<std::string>& args, int line_number) {
  ClickCommand click;
  std::size_t used = read_place(click, args, line_number, clickable_control);
  if (click.control && click.control->control == ControlId::waku) click.named_waku = true;
  if (used < args.size()) {
    const auto button = button_of(args[used]);
    if (!button) reject(line_number, "unknown button \"" + args[used] + "\"");
    click.button = *button;
    ++used;
  }
  if (used != args.size()) reject(line_number, "too many words for click");
  return click;
}

ReplayAction parse_move(const std::vector<std::string>& args, int line_number) {
  MoveCommand move;
  if (read_place(move, args, line_number, message_label) != args.size()) {
    reject(line_number, "too many words for move");
  }
  return move;
}

// The game controller's buttons by SDL's names.
constexpr std::string_view kPadButtons[] = {"a",
                                            "b",
                                            "x",
                                            "y",
                                            "back",
                                            "guide",
                                            "start",
                                            "leftstick",
                                            "rightstick",
                                            "leftshoulder",
                                            "rightshoulder",
                                            "dpup",
                                            "dpdown",
                                            "dpleft",
                                            "dpright",
                                            "misc1",
                                            "paddle1",
                                            "paddle2",
                                            "paddle3",
                                            "paddle4",
                                            "touchpad"};
constexpr int kMostNotches = 1000;
// A wait of virtual time runs every timer tick in it; one day of them is
// more than any test of a game needs.
constexpr std::int64_t kLongestWaitMs = 24LL * 60 * 60 * 1000;

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// "down" or "up" as the last word of a key or pad line; the rest is the name
// ("key down" names no key).
Press split_press(std::string_view& rest) {
  if (rest == "down" || rest == "up") {
    const Press press = rest == "down" ? Press::Down : Press::Up;
    rest = {};
    return press;
  }
  for (const auto& [word, press] :
       {std::pair{std::string_view(" down"), Press::Down}, std::pair{std::string_view(" up"), Press::Up}}) {
    if (rest.size() > word.size() && rest.substr(rest.size() - word.size()) == word) {
      rest = trimmed(rest.substr(0, rest.size() - word.size()));
      return press;
    }
  }
  return Press::DownAndUp;
}

// The key's name is the rest of the line, blanks included ("Left Ctrl"),
// after modifier prefixes such as "Alt+".
ReplayAction parse_key(std::string_view rest, int line_number) {
  KeyCommand key;
  key.press = split_press(rest);
  for (bool prefix = true; prefix;) {
    prefix = false;
    for (const auto& [word, held] : {std::pair{std::string_view("Alt+"), &KeyModifiers::alt},
                                     std::pair{std::string_view("Ctrl+"), &KeyModifiers::ctrl},
                                     std::pair{std::string_view("Shift+"), &KeyModifiers::shift}}) {
      if (rest.size() > word.size() && rest.substr(0, word.size()) == word) {
        key.modifiers.*held = true;
        rest.remove_prefix(word.size());
        prefix = true;
      }
    }
  }
  if (rest.empty()) reject(line_number, "key needs the name of a key");
  key.name = std::string(rest);
  return key;
}

ReplayAction parse_wheel(const std::vector<std::string>& args, int line_number) {
  if (args.empty() || args.size() > 2 || (args[0] != "up" && args[0] != "down")) {
    reject(line_number, "wheel takes up or down and a number of notches");
  }
  const auto notches = args.size() == 2 ? number_of<int>(args[1]) : std::optional<int>(1);
  if (!notches || *notches < 1 || *notches > kMostNotches) {
    reject(line_number, "wheel turns 1 to " + std::to_string(kMostNotches) + " notches");
  }
  return WheelCommand{args[0] == "up" ? *notches : -*notches};
}

ReplayAction parse_pad(std::string_view rest, int line_number) {
  PadCommand pad;
  pad.press = split_press(rest);
  for (std::string_view button : kPadButtons) {
    if (rest == button) {
      pad.button = std::string(button);
      return pad;
    }
  }
  reject(line_number, "unknown controller button \"" + std::string(rest) + "\"");
}

ReplayAction parse_line(std::string_view text, int line_number) {
  const std::vector<std::string> words = words_of(text);
  const std::string& verb = words[0];
  const std::vector<std::string> args(words.begin() + 1, words.end());
  if (verb == "click") return parse_click(args, line_number);
  if (verb == "move") return parse_move(args, line_number);
  if (verb == "choose") {
    if (args.size() != 1) reject(line_number, "choose takes one menu item");
    for (std::string_view item : kMenuItems) {
      if (args[0] == item) return ChooseCommand{args[0]};
    }
    reject(line_number, "unknown menu item \"" + args[0] + "\"");
  }
  if (verb == "wait") {
    const auto ms = args.size() == 1 ? number_of<std::int64_t>(args[0]) : std::nullopt;
    if (!ms || *ms < 0) reject(line_number, "wait takes a number of milliseconds");
    if (*ms > kLongestWaitMs) reject(line_number, "wait takes at most 24 hours, 86400000 ms");
    return WaitCommand{*ms};
  }
  if (verb == "shot") {
    // The file name is the rest of the line, so it may hold blanks.
    const std::size_t start = text.find_first_not_of(" \t", text.find("shot") + 4);
    if (start == std::string_view::npos) reject(line_number, "shot needs a file name");
    const std::size_t end = text.find_last_not_of(" \t\r");
    return ShotCommand{std::string(text.substr(start, end + 1 - start))};
  }
  if (verb == "key" || verb == "pad") {
    const std::string_view rest = trimmed(text.substr(verb.size()));
    return verb == "key" ? parse_key(rest, line_number) : parse_pad(rest, line_number);
  }
  if (verb == "wheel") return parse_wheel(args, line_number);
  if (verb == "dump" || verb == "close" || verb == "reload") {
    if (!args.empty()) reject(line_number, verb + " takes no arguments");
    if (verb == "dump") return DumpCommand{};
    if (verb == "reload") return ReloadCommand{};
    return CloseCommand{};
  }
  reject(line_number, "unknown command \"" + verb + "\"");
}

}  // namespace

std::vector<ReplayLine> parse_replay_script(std::string_view script) {
  std::vector<ReplayLine> lines;
  int line_number = 0;
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    std::string_view text = script.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text[first] == '#') continue;
    lines.push_back({line_number, parse_line(text.substr(first), line_number)});
  }
  return lines;
}

}  // namespace tw
