// The packed scene files of normal mode.
#include "data/scene_file.h"

#include "base/failure.h"
#include "base/number.h"
#include "data/game_layout.h"

namespace tw {

namespace {

// The record counter is 16-bit: the last record may be 32766 at most.
constexpr long kMaxRecordIndex = 32766;
constexpr char kLineEnd[] = "\r\n";

}  // namespace

Text debug_form_file(RecordField field) {
  switch (field) {
    case RecordField::Type:
      return kTypeLinesFile;
    case RecordField::Image:
      return kImageLinesFile;
    case RecordField::SubImage:
      return kSubImageLinesFile;
    case RecordField::Wave:
      return kWaveLinesFile;
    case RecordField::Midi:
      return kMidiLinesFile;
    default:
      break;
  }
  const int message = static_cast<int>(field) - static_cast<int>(RecordField::Message1) + 1;
  return kMessageFolder + (U"message" + decimal_text(message) + U".gst");
}

std::string unequal_record_files(const std::array<std::size_t, kRecordFields>& lines) {
  const std::size_t records = lines[static_cast<std::size_t>(RecordField::Type)];
  std::string differing;
  for (const RecordField field : kDebugFormOrder) {
    const std::size_t count = lines[static_cast<std::size_t>(field)];
    if (count == records) continue;
    Text name = debug_form_file(field).substr(1);
    for (char32_t& c : name) c = c == U'\\' ? U'/' : c;
    differing += (differing.empty() ? "" : ", ") + to_utf8(name) + " has " + std::to_string(count) +
                 (count == 1 ? " line" : " lines");
  }
  if (differing.empty()) return {};
  return differing + ", game.gst " + std::to_string(records) +
         ": a line left out or added moves every line after it into another record";
}

long scene_file_line(long record, RecordField field) {
  return 2 + record * kRecordLines + 1 + static_cast<long>(field);
}

SceneFileReader::SceneFileReader(std::string_view bytes) : lines_(split_lines(bytes)) {}

Text SceneFileReader::next_line() {
  if (next_ >= lines_.size()) throw Failure("シーンファイルが途中で終わっています");
  return decode_cp932(lines_[next_++]);
}

std::int16_t SceneFileReader::last_record() {
  const std::int16_t last = to_int16(next_line());
  if (last > kMaxRecordIndex) throw Failure("シーンのレコードが多すぎます (32767 件まで)");
  return last;
}

std::array<Text, kRecordFields> SceneFileReader::next_record() {
  std::array<Text, kRecordFields> fields;
  next_line();  // a line for the author
  for (Text& field : fields) field = next_line();
  next_line();  // a closing line
  return fields;
}

std::string packed_scene_file(const std::vector<RecordBytes>& records) {
  std::string out = std::to_string(static_cast<long>(records.size()) - 1) + kLineEnd;
  for (std::size_t i = 0; i < records.size(); ++i) {
    out += std::to_string(i) + kLineEnd;
    for (const std::string& field : records[i]) out += field + kLineEnd;
    out += kLineEnd;
  }
  return out;
}

}  // namespace tw
