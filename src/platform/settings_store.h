#pragma once

#include <filesystem>
#include <utility>
#include <vector>

#include "base/text.h"

namespace tw {

// The per-user settings store: text values under an application, a section
// and a key, kept across runs. Every failure (a damaged store, a full disk, a
// folder that cannot be written) throws Failure and leaves what was stored
// before as it was.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Writes every value under `application` and `section`: all of them, or,
  // on any failure, none.
  virtual void write_all(TextView application, TextView section,
                         const std::vector<std::pair<Text, Text>>& values) = 0;
  // The stored value, or `fallback` when there is none.
  virtual Text read(TextView application, TextView section, TextView key, TextView fallback) = 0;
};

// Where the store lives: $XDG_DATA_HOME/tallowind/, by default
// ~/.local/share/tallowind/.
std::filesystem::path default_settings_file();

}  // namespace tw
