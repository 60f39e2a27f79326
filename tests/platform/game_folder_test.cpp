#include "platform/game_folder.h"

#include <gtest/gtest.h>

#include "base/failure.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

// A game folder whose every file holds its own relative name.
// "\x94\x77\x8C\x69" is "背景" in CP932, with ASCII trail bytes.
struct TempGame : test::TestGame {
  TempGame() {
    for (const char* name : {"scene/main.gst", "Image/Ｓｔａｒ.png", "立ち絵A.bmp",
                             "\x94\x77\x8C\x69/Sky.bmp", "dup/Data.txt", "dup/DATA.txt"})
      write_bytes(name, name);
  }
  const fs::path root = TestGame::root();
};

TEST(GameFolder, ResolvesFolderByFolderIgnoringCaseAndNamesOutsideOrMissingToNothing) {
  const TempGame game;
  const GameFolder folder(game.root);
  const std::pair<Text, const char*> cases[] = {
      {U"\\SCENE\\Main.GST", "scene/main.gst"},
      {U"/scene/./main.gst", "scene/main.gst"},
      {U"\\image\\..\\scene\\\\main.gst", "scene/main.gst"},
      {U"\\image\\ｓｔａｒ.PNG", "Image/Ｓｔａｒ.png"},
      {U"\\立ち絵a.BMP", "立ち絵A.bmp"},
      {U"\\背景\\sky.BMP", "\x94\x77\x8C\x69/Sky.bmp"},
      {U"\\dup\\Data.txt", "dup/Data.txt"},  // the exact name comes first
      {U"\\dup\\data.TXT", "dup/DATA.txt"},  // then the first in byte order
      {U"\\IMAGE\\", "Image"}};
  for (const auto& [engine_path, relative] : cases)
    EXPECT_EQ(folder.resolve(engine_path), game.root / relative) << to_utf8(engine_path);
  EXPECT_EQ(folder.resolve(U"\\"), game.root);
  for (const char32_t* engine_path :
       {U"..\\scene\\main.gst", U"\\..\\scene\\main.gst", U"\\x\\..\\..\\scene\\main.gst",
        U"\\scene\\main.gst\\x", U"\\none.gst", U"\\scene\\背景"})
    EXPECT_EQ(folder.resolve(engine_path), std::nullopt) << to_utf8(engine_path);
  EXPECT_EQ(folder.resolve(Text(U"\\scene\\main.gst\0", 16)), std::nullopt);
}

TEST(GameFolder, ReadsWholeFilesNamesTheMissingOnesAndSpellsPathsWithoutLookupOrSymlinks) {
  const TempGame game;
  const GameFolder folder(game.root);
  EXPECT_EQ(folder.read_file(U"\\Scene\\MAIN.gst"), "scene/main.gst");
  EXPECT_EQ(test::failure_of([&] { folder.read_file(U"\\scene\\none.gst"); }),
            "ファイルが見つかりません: " + (game.root / "scene/none.gst").string());
  EXPECT_THROW(folder.read_file(U"\\scene"), Failure);
  const fs::path link = game.root / "link";
  fs::create_directory_symlink(game.root / "scene", link);
  const fs::path relative = (link / "").lexically_relative(fs::current_path());
  EXPECT_EQ(GameFolder(relative).spelled(U"\\Main\\背景.gst"), link.string() + "/Main/背景.gst");
  EXPECT_EQ(GameFolder(link / "." / "").spelled(U"\\a"), link.string() + "/a");
}

}  // namespace
}  // namespace tw
