#include "platform/picture_cache.h"

#include <gtest/gtest.h>

#include "support/test_game.h"
#include "window/failure.h"

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
  void save_png(const Image& image, const fs::path& file) override { shared_pictures().save_png(image, file); }
  int loads = 0;
};

TEST(PictureCache, DecodesAFileOnceUntilItChangesAndKeepsWithinItsBudget) {
  TestGame game;
  game.write_bmp("a.bmp", solid(8, 8, 0x112233));
  game.write_bmp("b.bmp", solid(8, 8, 0x445566));
  CountingPictures decoder;
  PictureCache cache(decoder, 2 * 8 * 8 * sizeof(Pixel));  // room for two
  const fs::path a = game.root() / "a.bmp";
  const fs::path b = game.root() / "b.bmp";
  EXPECT_EQ(cache.load(a).at(0, 0), 0x112233u);
  EXPECT_EQ(cache.load(a).at(0, 0), 0x112233u);
  EXPECT_EQ(decoder.loads, 1);

  game.write_bmp("a.bmp", solid(9, 8, 0x778899));  // changed on disk
  EXPECT_EQ(cache.load(a).at(0, 0), 0x778899u);
  EXPECT_EQ(decoder.loads, 2);

  game.write_bmp("c.bmp", solid(8, 8, 0));
  cache.load(b);
  cache.load(game.root() / "c.bmp");  // the budget lets a go
  cache.load(b);
  EXPECT_EQ(decoder.loads, 4);
  cache.load(a);
  EXPECT_EQ(decoder.loads, 5);

  game.write_bytes("broken.bmp", "BM");
  for (int i = 0; i < 2; ++i) EXPECT_THROW(cache.load(game.root() / "broken.bmp"), Failure);
  EXPECT_EQ(decoder.loads, 7);
}

}  // namespace
}  // namespace tw::test
