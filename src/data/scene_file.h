#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace tw {

// The line counter of the readers is 16-bit: a data file may hold 32767
// lines; reading the next one fails.
constexpr std::size_t kMaxDataFileLines = 32767;

// The per-record data of a scene record, in the order a packed scene file
// holds it.
enum class RecordField { Type, Image, SubImage, Wave, Midi, Message1, Message2, Message3, Message4 };
constexpr int kRecordFields = 9;

// The order in which the debug form's files are read. The sub image file is
// read only while the sub window is on.
constexpr RecordField kDebugFormOrder[] = {
    RecordField::Type,     RecordField::Message1, RecordField::Message2,
    RecordField::Message3, RecordField::Message4, RecordField::Image,
    RecordField::SubImage, RecordField::Wave,     RecordField::Midi};

// The file of the debug form that holds `field` of every record, one line
// per record, as an engine path ("\game.gst", "\message\message1.gst", ...).
Text debug_form_file(RecordField field);

// The debug form's files that hold another number of lines than game.gst,
// given each file's line count (a file not read counts as game.gst's), in
// words for an author: "message/message2.gst has 30 lines, game.gst 31". A
// line left out or added in one file moves every line after it into
// another record. Empty when all agree.
std::string unequal_record_files(const std::array<std::size_t, kRecordFields>& lines);

// A packed scene file: line 1 holds n, the number of the last record; then
// records 0 to n of 11 lines each: a line for the author, the nine fields,
// and a closing line. The engine reads neither the first nor the last line
// of a record.
constexpr int kRecordLines = 11;

// 1-based line number in a packed scene file of `field` of `record`.
long scene_file_line(long record, RecordField field);

// Reads a packed scene file record by record, so that a reader can store
// each record before it meets a fault further on.
class SceneFileReader {
 public:
  // `bytes` must outlive the reader.
  explicit SceneFileReader(std::string_view bytes);

  // n from line 1. Failure when it is no number or lies outside -32768..32766.
  std::int16_t last_record();
  // The next record's fields. Failure when the file ends inside it.
  std::array<Text, kRecordFields> next_record();

  // How many lines the file has.
  std::size_t line_count() const { return lines_.size(); }

 private:
  Text next_line();

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
};

// The packed scene file of `records`, each given as the bytes of its nine
// fields: the record number as its first line, an empty closing line, CR LF
// after every line.
using RecordBytes = std::array<std::string, kRecordFields>;
std::string packed_scene_file(const std::vector<RecordBytes>& records);

}  // namespace tw
