#include "player/read_marks.h"

#include <optional>
#include <vector>

#include "base/number.h"

namespace tw {

namespace {

constexpr char32_t kApplication[] = U"Tallowind/read";
// A damaged value never makes a scene's set larger than a scene can be.
constexpr long kMostRecords = 32767;

std::optional<long> number_at(TextView text, std::size_t& at) {
  const std::size_t start = at;
  long value = 0;
  while (at < text.size() && text[at] >= U'0' && text[at] <= U'9' && at - start < 6) {
    value = value * 10 + (text[at] - U'0');
    ++at;
  }
  if (at == start) return std::nullopt;
  return value;
}

}  // namespace

Text record_ranges(const std::set<std::int16_t>& records) {
  Text text;
  for (auto it = records.begin(); it != records.end();) {
    const std::int16_t first = *it;
    std::int16_t last = first;
    while (++it != records.end() && *it == last + 1) last = *it;
    if (!text.empty()) text += U',';
    text += decimal_text(first);
    if (last != first) text += U'-' + decimal_text(last);
  }
  return text;
}

std::set<std::int16_t> parse_record_ranges(TextView text) {
  std::set<std::int16_t> records;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::optional<long> first = number_at(text, at);
    std::optional<long> last = first;
    if (first && at < text.size() && text[at] == U'-') {
      ++at;
      last = number_at(text, at);
    }
    if (first && last && *first <= *last && *last <= kMostRecords) {
      for (long record = *first; record <= *last; ++record) records.insert(static_cast<std::int16_t>(record));
    }
    // On to the next part, past whatever this one was.
    while (at < text.size() && text[at] != U',') ++at;
    ++at;
  }
  return records;
}

std::set<std::int16_t>& ReadMarks::scene(std::int16_t number) {
  auto found = scenes_.find(number);
  if (found != scenes_.end()) return found->second;
  std::set<std::int16_t> records =
      parse_record_ranges(store_.read(kApplication, title_, decimal_text(number), U""));
  return scenes_.emplace(number, std::move(records)).first->second;
}

bool ReadMarks::mark(std::int16_t scene_number, std::int16_t record) {
  if (!scene(scene_number).insert(record).second) return true;
  dirty_.insert(scene_number);
  return false;
}

void ReadMarks::save() {
  if (dirty_.empty()) return;
  std::vector<std::pair<Text, Text>> values;
  for (const std::int16_t number : dirty_)
    values.emplace_back(decimal_text(number), record_ranges(scenes_[number]));
  store_.write_all(kApplication, title_, values);
  dirty_.clear();
}

}  // namespace tw
