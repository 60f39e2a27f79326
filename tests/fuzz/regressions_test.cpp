// Every input a fuzz target once failed on, run through the same target: it
// must now end as the engine defines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "targets.h"

namespace tw::fuzz {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputRunsCleanThroughItsTarget) {
  int inputs = 0;
  for (const NamedTarget& target : all_targets()) {
    const fs::path folder = fs::path(TALLOWIND_SOURCE_DIR) / "fuzz/regressions" / target.name;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      SCOPED_TRACE(entry.path().string());
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string input{std::istreambuf_iterator<char>(in), {}};
      target.run(input);
      ++inputs;
    }
  }
  RecordProperty("inputs", inputs);
}

}  // namespace
}  // namespace tw::fuzz
