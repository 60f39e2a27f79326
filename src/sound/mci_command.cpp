#include "sound/mci_command.h"

#include <optional>
#include <vector>

namespace tw {

namespace {

constexpr char32_t to_lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; }

bool is_blank(char32_t c) { return c == U' ' || c == U'\t'; }

bool same_word(TextView word, TextView keyword) {
  if (word.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (to_lower(word[i]) != keyword[i]) return false;
  }
  return true;
}

// Splits into words at runs of blanks. A word that starts with a double
// quote runs to the next double quote and is kept with its quotes.
std::optional<std::vector<Text>> words_of(TextView command) {
  std::vector<Text> words;
  std::size_t at = 0;
  while (true) {
    while (at < command.size() && is_blank(command[at])) ++at;
    if (at == command.size()) return words;
    std::size_t end = at;
    if (command[at] == U'"') {
      end = command.find(U'"', at + 1);
      if (end == TextView::npos) return std::nullopt;
      ++end;
      if (end < command.size() && !is_blank(command[end])) return std::nullopt;
    } else {
      while (end < command.size() && !is_blank(command[end])) ++end;
    }
    words.emplace_back(command.substr(at, end - at));
    at = end;
  }
}

MciCommand parse_open(const std::vector<Text>& words) {
  // open "PATH" [type sequencer] alias NAME
  const bool typed = words.size() == 6;
  if (words.size() != 4 && !typed) return MciRefused{mci_code::kUnrecognizedKeyword};
  const Text& path = words[1];
  if (path.size() < 2 || path.front() != U'"' || path.back() != U'"') {
    return MciRefused{mci_code::kUnrecognizedKeyword};
  }
  if (typed && !(same_word(words[2], U"type") && same_word(words[3], U"sequencer"))) {
    return MciRefused{mci_code::kUnrecognizedKeyword};
  }
  if (!same_word(words[words.size() - 2], U"alias")) return MciRefused{mci_code::kUnrecognizedKeyword};
  return MciOpen{path.substr(1, path.size() - 2), typed ? DeviceType::Sequencer : DeviceType::FromFile,
                 words.back()};
}

MciCommand parse_status(const std::vector<Text>& words) {
  if (words.size() != 3) return MciRefused{mci_code::kUnrecognizedKeyword};
  if (same_word(words[2], U"length")) return MciStatus{words[1], StatusItem::Length};
  if (same_word(words[2], U"position")) return MciStatus{words[1], StatusItem::Position};
  return MciRefused{mci_code::kUnrecognizedKeyword};
}

}  // namespace

Text alias_key(TextView alias) {
  Text key(alias);
  for (char32_t& c : key) c = to_lower(c);
  return key;
}

MciCommand parse_mci_command(TextView command) {
  const auto words = words_of(command);
  if (!words) return MciRefused{mci_code::kUnrecognizedKeyword};
  if (words->empty()) return MciRefused{mci_code::kMissingCommandString};
  const Text& verb = words->front();
  if (same_word(verb, U"open")) return parse_open(*words);
  if (same_word(verb, U"status")) return parse_status(*words);
  const bool close = same_word(verb, U"close");
  if (close || same_word(verb, U"play")) {
    if (words->size() != 2) return MciRefused{mci_code::kUnrecognizedKeyword};
    if (close) return MciClose{(*words)[1]};
    return MciPlay{(*words)[1]};
  }
  return MciRefused{mci_code::kUnrecognizedCommand};
}

}  // namespace tw
