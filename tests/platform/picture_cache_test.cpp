#include "platform/picture_cache.h"

#include <gtest/gtest.h>

#include "base/failure.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

// The real decoder, counting what it is asked to decode.
class CountingPictures : public Pictures {
 public:
  Image load(const fs::path& file) override {
    ++loads;
    return shared_pictures().load(file);
  }
  void save_png(const Image& image, const fs::path& file) override {
    shared_pictures().save_png(image, file);
  }
  int loads = 0;
};

TEST(PictureCache, KeepsAPictureFromItsSecondShowingOrReadingAheadUntilItsFileChanges) {
  TestGame game;
  game.write_bmp("a.bmp", Image(8, 8, 0x112233));
  CountingPictures decoder;
  PictureCache cache(decoder, 2 * 8 * 8 * sizeof(Pixel));  // room for two
  const fs::path a = game.root() / "a.bmp";
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cache.load(a).at(0, 0), 0x112233u);
  EXPECT_EQ(decoder.loads, 2);

  game.write_bmp("a.bmp", Image(9, 7, 0x778899));  // changed on disk: shown anew
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cache.load(a).at(0, 0), 0x778899u);
  EXPECT_EQ(decoder.loads, 4);

  game.write_bytes("broken.bmp", "BM");
  for (int i = 0; i < 3; ++i) EXPECT_THROW(cache.load(game.root() / "broken.bmp"), Failure);
  EXPECT_EQ(decoder.loads, 7);

  // A picture read ahead is kept at once; a failure waits for its showing.
  game.write_bmp("b.bmp", Image(8, 8, 0x445566));
  cache.prefetch(game.root() / "b.bmp");
  cache.prefetch(game.root() / "b.bmp");
  EXPECT_EQ(cache.load(game.root() / "b.bmp").at(0, 0), 0x445566u);
  EXPECT_EQ(decoder.loads, 8);
  EXPECT_NO_THROW(cache.prefetch(game.root() / "broken.bmp"));
  EXPECT_NO_THROW(cache.prefetch(game.root() / "missing.bmp"));
}

TEST(PictureCache, PicturesShownOnceLeaveTheKeptOnesAloneAndTheBudgetHolds) {
  TestGame game;
  CountingPictures decoder;
  PictureCache cache(decoder, 2 * 8 * 8 * sizeof(Pixel));  // room for two
  std::vector<fs::path> files;
  for (int i = 0; i < 50; ++i) {
    const std::string name = "p" + std::to_string(i) + ".bmp";
    game.write_bmp(name, Image(8, 8, static_cast<Pixel>(i)));
    files.push_back(game.root() / name);
  }
  for (const int i : {0, 1, 0, 1}) cache.load(files[i]);
  for (int i = 2; i < 50; ++i) cache.load(files[i]);  // each shown once
  for (const int i : {0, 1}) EXPECT_EQ(cache.load(files[i]).at(0, 0), static_cast<Pixel>(i));
  EXPECT_EQ(decoder.loads, 4 + 48);

  for (const int i : {2, 2, 3, 3}) cache.load(files[i]);  // two more come back: the budget lets 0 and 1 go
  cache.load(files[0]);
  EXPECT_EQ(decoder.loads, 4 + 48 + 4 + 1);
}

}  // namespace
}  // namespace tw::test
