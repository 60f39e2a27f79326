// Game folders at the limits of what the engine reads: the largest scene,
// captions of a megabyte, a folder that cannot be written.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <tuple>

#include "pack/pack.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

TEST(Limits, TheLargestSceneLoadsAndPlaysToItsLastRecord) {
  TestGame game;
  std::vector<Record> records(32767);
  records[1].type = U"32765";  // on to the last record
  records.back().type = U"END";
  game.write_scene(records);
  Engine engine(game);
  engine.start().begin().step();
  EXPECT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(engine.form().Line_No, 32766);
  EXPECT_EQ(engine.form().GAME_List.count(), 32767);
  EXPECT_EQ(check_game(game.root()).first, 0);
}

// A caption of a megabyte shows as its visible start does, and play goes on.
// Type lines and entries of a megabyte are in the step's failure table.
TEST(Limits, ACaptionOfAMegabyteShowsItsVisibleStart) {
  Image screens[2];
  for (const std::size_t length : {std::size_t{1} << 20, std::size_t{100}}) {
    const std::u32string line(length, U'あ');
    TestGame game;
    game.write_scene({Record{}, {.lines = {line, line}}, record(U"END")});
    Engine engine(game);
    screens[length == 100] = engine.start().begin().screen();
    engine.step();
    EXPECT_EQ(std::tuple(engine.ended(), engine.form().Line_No), std::tuple(false, 2)) << engine.trace();
  }
  EXPECT_EQ(screens[0].pixels, screens[1].pixels);
}

// A game on a read-only file system plays, saves to the per-user store and
// is checked; packing it fails with the reason and changes nothing.
TEST(Limits, AGameOnAReadOnlyFileSystemPlaysAndRefusesToBePacked) {
  TestGame game;
  const fs::path mount_point = game.root() / "ro";
  fs::create_directories(mount_point);
  if (::mount("tallowind-test", mount_point.c_str(), "tmpfs", 0, "size=64m") != 0) {
    GTEST_SKIP() << "mounting a file system needs privileges this run does not have";
  }
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{mount_point};
  fs::copy(TALLOWIND_SOURCE_DIR "/games/demo", mount_point, fs::copy_options::recursive);
  ASSERT_EQ(::mount(nullptr, mount_point.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);

  Engine engine(mount_point);
  engine.start().click(ControlId::image1);
  for (int i = 0; i < 4 && !engine.ended(); ++i) engine.click(ControlId::Window).wait(1200);
  EXPECT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(check_game(mount_point).first, 0);
  std::ostringstream out, err;
  EXPECT_EQ(run_pack({mount_point, 1, true}, out, err), 1);
  EXPECT_NE(err.str().find("Read-only file system"), std::string::npos) << err.str();
  EXPECT_EQ(fs::file_size(mount_point / "scene/scene1.gst"),
            fs::file_size(TALLOWIND_SOURCE_DIR "/games/demo/scene/scene1.gst"));
}

}  // namespace
}  // namespace tw::test
