// Every input a fuzz target once failed on, run through the same target: it
// must now end as the engine defines.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/inputs.h"
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
      target.run(test::read_bytes(entry.path()));
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0) << "no kept input was found";
}

}  // namespace
}  // namespace tw::fuzz
