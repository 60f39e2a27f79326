#include "platform/program_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tw {
namespace {

namespace fs = std::filesystem;

TEST(ProgramLocation, TakesTheNameWithoutExtensionAndTheFolderAbsoluteWithLinksUnresolved) {
  const ProgramLocation location = locate_program("/games/demo/DEBUG.exe", "");
  EXPECT_EQ(location.name, U"DEBUG");
  EXPECT_EQ(location.folder, fs::path("/games/demo"));
  EXPECT_EQ(locate_program("/games/demo/../x/DEBUG", "").folder, fs::path("/games/x"));
  EXPECT_EQ(locate_program("/usr/bin/tallowind", "").name, U"tallowind");
  EXPECT_EQ(locate_program("./games/DEBUG", "").folder, (fs::current_path() / "games").lexically_normal());
}

TEST(ProgramLocation, SearchesThePathForABareName) {
  const fs::path folder = fs::temp_directory_path() / "tallowind-path-test";
  fs::create_directories(folder);
  std::ofstream(folder / "DEBUG") << "#!/bin/sh\n";
  const ProgramLocation location = locate_program("DEBUG", "/nonexistent:" + folder.string());
  EXPECT_EQ(location.folder, folder);
  EXPECT_EQ(location.name, U"DEBUG");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tw
