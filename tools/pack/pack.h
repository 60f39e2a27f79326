#pragma once

#include <filesystem>
#include <ostream>

namespace tw {

struct PackOptions {
  std::filesystem::path game_folder;
  int scene = 1;       // N of scene/sceneN.gst
  bool force = false;  // replace files that exist
};

// Packs the game's per-record files (the debug form) into scene/main.gst and
// scene/sceneN.gst, which the scene reader reads back into the same list
// stores. Each file is written under a temporary name and renamed into
// place. Returns 0 on success; otherwise 1, with the reason on `err` and
// nothing replaced.
int run_pack(const PackOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tw
