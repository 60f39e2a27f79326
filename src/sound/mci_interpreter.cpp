#include "sound/mci_interpreter.h"

#include <fstream>
#include <iterator>

#include "base/failure.h"
#include "base/number.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

// No sound file of a game comes near this; a larger one is refused before
// it is read into memory.
constexpr std::uintmax_t kMaxSoundFileBytes = 64u << 20;

bool is_midi(const std::vector<unsigned char>& bytes) {
  const auto starts = [&](std::size_t at, std::string_view magic) {
    return bytes.size() >= at + magic.size() &&
           std::equal(magic.begin(), magic.end(), bytes.begin() + at,
                      [](char m, unsigned char b) { return b == static_cast<unsigned char>(m); });
  };
  return starts(0, "MThd") || (starts(0, "RIFF") && starts(8, "RMID"));
}

std::optional<std::vector<unsigned char>> read_bytes(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxSoundFileBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

MediaReply MciInterpreter::send(TextView command) {
  return std::visit(
      [this](const auto& parsed) -> MediaReply {
        using Parsed = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Parsed, MciOpen>) return open(parsed);
        if constexpr (std::is_same_v<Parsed, MciClose>) return close(parsed);
        if constexpr (std::is_same_v<Parsed, MciPlay>) return play(parsed);
        if constexpr (std::is_same_v<Parsed, MciStatus>) return status(parsed);
        if constexpr (std::is_same_v<Parsed, MciRefused>) return refuse(parsed);
      },
      parse_mci_command(command));
}

// The path of a command names a file of the game folder as the engine spells
// it: the folder's absolute path, then the file's path inside it. Anything
// else, and anything outside the folder, is not found.
std::optional<fs::path> MciInterpreter::game_file(TextView path) const {
  Text root = folder_();
  if (root.empty() || root.back() != U'/') root += U'/';
  if (path.size() <= root.size() || path.substr(0, root.size()) != root) return std::nullopt;
  const auto file = find_(path.substr(root.size()));
  std::error_code error;
  if (!file || !fs::is_regular_file(*file, error)) return std::nullopt;
  return file;
}

MciInterpreter::Channel* MciInterpreter::channel(TextView alias) {
  const auto found = channels_.find(alias_key(alias));
  return found == channels_.end() ? nullptr : &found->second;
}

MediaReply MciInterpreter::open(const MciOpen& command) {
  if (channel(command.alias)) return {mci_code::kDuplicateAlias, {}};
  const auto file = game_file(command.path);
  if (!file) return {mci_code::kFileNotFound, {}};
  auto bytes = read_bytes(*file);
  if (!bytes) return {mci_code::kInvalidFile, {}};
  Channel opened{to_utf8(alias_key(command.alias)), {}, {}, {}, {}};
  try {
    if (command.type == DeviceType::Sequencer || is_midi(*bytes)) {
      opened.song = MidiSong::parse(*bytes);
      opened.smf = std::make_shared<const std::vector<unsigned char>>(std::move(*bytes));
    } else {
      opened.wave = files_.read_wave(*file);
    }
  } catch (const Failure&) {
    return {mci_code::kInvalidFile, {}};
  }
  channels_.emplace(alias_key(command.alias), std::move(opened));
  return {};
}

MediaReply MciInterpreter::close(const MciClose& command) {
  if (!channel(command.alias)) return {mci_code::kInvalidDeviceName, {}};
  output_.stop(channel(command.alias)->output_name);
  channels_.erase(alias_key(command.alias));
  return {};
}

// Playing an open channel starts it from its beginning the first time; a
// channel that plays or has played to its end stays as it is.
MediaReply MciInterpreter::play(const MciPlay& command) {
  Channel* playing = channel(command.alias);
  if (!playing) return {mci_code::kInvalidDeviceName, {}};
  if (playing->started_ms) return {};
  playing->started_ms = now_ms_();
  if (playing->song) {
    output_.play_midi(playing->output_name, playing->smf);
  } else {
    output_.play_wave(playing->output_name, playing->wave);
  }
  return {};
}

MediaReply MciInterpreter::status(const MciStatus& command) {
  const Channel* asked = channel(command.alias);
  if (!asked) return {mci_code::kInvalidDeviceName, {}};
  const double elapsed = asked->started_ms ? double(now_ms_() - *asked->started_ms) : 0.0;
  long long value = 0;
  if (asked->song) {
    value = command.item == StatusItem::Length ? asked->song->length_sixteenths()
                                               : asked->song->position_sixteenths(elapsed);
  } else {
    const double length = asked->wave->duration_ms();
    value = static_cast<long long>(command.item == StatusItem::Length ? length : std::min(elapsed, length));
  }
  return {0, decimal_text(value)};
}

}  // namespace tw
