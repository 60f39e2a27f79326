#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/text.h"

namespace tw {

// The game's folder and every path inside it. The engine names a file as a
// fixed text that starts with a backslash ("\scene\main.gst", "\image3\" +
// a name from the data); a backslash, also one inside a name from the data,
// separates folders. Games are authored on case-insensitive file systems, so
// a name that does not exist exactly is looked up folder by folder without
// regard to letter case (Unicode case folding). Directory entries whose name
// is not valid UTF-8 are read as CP932, as archives unpacked without
// converting their names leave them. A name whose ".." parts would lead
// outside the game folder names a file that does not exist.
class GameFolder {
 public:
  explicit GameFolder(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }

  // The existing file or folder that `engine_path` names, or nothing.
  std::optional<std::filesystem::path> resolve(TextView engine_path) const;

  // Whether `engine_path` names an existing file or folder letter for letter,
  // without the case-insensitive lookup that resolve() falls back on.
  bool exists_exactly(TextView engine_path) const;

  // The whole content of the file that `engine_path` names. Throws Failure
  // when it does not exist or cannot be read.
  std::string read_file(TextView engine_path) const;

  // The path as the player's platform would spell it: the game folder as an
  // absolute path followed by `engine_path` with "/" for "\", without any
  // lookup. Used where the engine shows or sends a path as text.
  std::string spelled(TextView engine_path) const;

 private:
  std::filesystem::path root_;
};

}  // namespace tw
