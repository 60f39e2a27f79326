// Fuzz targets of the pure readings: the line rule and CP932, the scene
// file, and the fields of type lines and image entries.
#include <cstdio>
#include <cstdlib>

#include "base/failure.h"
#include "base/number.h"
#include "data/scene_file.h"
#include "present/image_entry.h"
#include "script/type_line.h"
#include "targets.h"

namespace tw::fuzz {

namespace {

constexpr char32_t kNotDecoded = U'\uFFFD';

}  // namespace

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

// Lines never hold a CR, and a line that decodes without a broken byte
// encodes back to bytes that decode to the same text.
void text_lines(std::string_view input) {
  const std::vector<std::string_view> lines = split_lines(input);
  for (std::string_view line : lines) {
    require(line.find('\r') == std::string_view::npos, "a line holds a CR");
    const Text text = decode_cp932(line);
    if (text.find(kNotDecoded) == Text::npos) {
      require(decode_cp932(encode_cp932(text)) == text, "CP932 does not survive a round trip");
    }
    require(from_utf8(to_utf8(text)) == text, "UTF-8 does not survive a round trip");
  }
  require(read_text_lines(input).size() == lines.size(), "read_text_lines loses lines");
}

// Whatever a scene file holds, reading it ends or fails; the records read
// pack back into a file that reads to the same records.
void scene_file(std::string_view input) {
  SceneFileReader reader(input);
  std::vector<std::array<Text, kRecordFields>> records;
  may_fail([&] {
    const long last = reader.last_record();
    for (long i = 0; i <= last; ++i) records.push_back(reader.next_record());
  });
  std::vector<RecordBytes> packed;
  for (const auto& record : records) {
    RecordBytes bytes;
    for (int f = 0; f < kRecordFields; ++f) bytes[f] = encode_cp932(record[f]);
    packed.push_back(bytes);
  }
  if (packed.empty()) return;
  const std::string file = packed_scene_file(packed);
  SceneFileReader again(file);
  require(again.last_record() == static_cast<long>(records.size()) - 1, "the packed record count differs");
  for (const auto& record : records) {
    const auto read = again.next_record();
    for (int f = 0; f < kRecordFields; ++f) {
      if (record[f].find(kNotDecoded) == Text::npos) require(read[f] == record[f], "a packed field differs");
    }
  }
}

// Every reading of a line either gives its result or fails; none crashes,
// hangs or leaves 16 bits.
void type_lines(std::string_view input) {
  const Text line = decode_cp932(input);
  (void)kind_of(line);
  may_fail([&] { jump_target(line); });
  may_fail([&] {
    const FlagLine flag = parse_flag_line(line);
    may_fail([&] { apply_flag_operation(32767, flag.operand, flag.op); });
  });
  may_fail([&] {
    const IfLine test = parse_if_line(line);
    may_fail([&] { compare_flag(-32768, test.value, test.op); });
    may_fail([&] { to_int16(test.first); });
  });
  may_fail([&] {
    std::int16_t char_pos = kFirstTargetPosition;
    std::int16_t jump_work = 0;
    std::array<std::int16_t, 5> targets{};
    read_command_targets(line, char_pos, jump_work, targets);
    require(targets[4] == 0, "a fifth choice target was written");
  });
  may_fail([&] { image_file_of(line); });
  may_fail([&] { image_position_of(line); });
  may_fail([&] { image_time_of(line); });
  may_fail([&] {
    const double real = to_real(line);
    std::int16_t whole = 0;
    may_fail([&] { whole = to_int16(line); });
    require(whole == 0 || (real > -32768.5 && real < 32767.5), "to_int16 accepts a number out of range");
  });
}

}  // namespace tw::fuzz
