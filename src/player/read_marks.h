#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "base/text.h"
#include "platform/settings_store.h"

namespace tw {

// The records this user has read in any play of one game, by scene file and
// record number. They live in the per-user store beside the saved games,
// under an application of their own, so the game's saved record never sees
// them. A scene's records are one value: ranges such as "0-12,15".
class ReadMarks {
 public:
  ReadMarks(SettingsStore& store, Text game_title) : store_(store), title_(std::move(game_title)) {}

  // Marks a record read; returns whether it was read before. Throws Failure
  // when the store cannot be read.
  bool mark(std::int16_t scene, std::int16_t record);
  bool unsaved() const { return !dirty_.empty(); }
  // Writes the scenes marked since the last save. Throws Failure when the
  // store cannot be written; the marks stay to be written later.
  void save();

 private:
  std::set<std::int16_t>& scene(std::int16_t number);

  SettingsStore& store_;
  Text title_;
  std::map<std::int16_t, std::set<std::int16_t>> scenes_;  // read from the store on first use
  std::set<std::int16_t> dirty_;
};

// The ranges text of a set of record numbers, and back. Parts of a text that
// are not ranges are passed over.
Text record_ranges(const std::set<std::int16_t>& records);
std::set<std::int16_t> parse_record_ranges(TextView text);

}  // namespace tw
