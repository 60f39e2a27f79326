// The raster operations on the whole 32-bit pixel, their clipping and the
// scaled paint.
#include <gtest/gtest.h>

#include "present/raster.h"

namespace tw {
namespace {

// S AND (NOT D), S XOR D and S on one pixel, its top byte included.
TEST(BitBlt, CombinesTheWholeWord) {
  for (const auto& [op, after] : {std::pair{RasterOp::SrcErase, 0x76543210u},
                                  {RasterOp::SrcInvert, 0x77777777u},
                                  {RasterOp::SrcCopy, 0xFEDCBA98u}}) {
    Image target(1, 1, 0x89ABCDEF);
    bit_blt(target, 0, 0, 1, 1, Image(1, 1, 0xFEDCBA98), 0, 0, op);
    EXPECT_EQ(target.at(0, 0), after) << static_cast<int>(op);
  }
}

// Against a per-pixel model: a target pixel changes only when it lies in the
// rectangle and its source pixel exists.
TEST(BitBlt, ClipsToTargetAndSourceAtEveryEdge) {
  struct Case {
    int x, y, w, h, sx, sy;
  };
  Image source(4, 3);
  for (std::size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = 0xA0000000u + Pixel(i);
  for (const Case& c : {Case{0, 0, 4, 3, 0, 0}, Case{-2, -1, 4, 3, 0, 0}, Case{4, 3, 4, 3, 0, 0},
                        Case{1, 1, 9, 9, 0, 0}, Case{0, 0, 6, 5, -2, -1}, Case{1, 0, 6, 5, 2, 1},
                        Case{-3, -2, 9, 9, -1, -1}, Case{0, 0, -3, 5, 0, 0}, Case{6, 0, 2, 2, 0, 0}}) {
    Image target(6, 5, 0x0F0F0F0Fu);
    bit_blt(target, c.x, c.y, c.w, c.h, source, c.sx, c.sy, RasterOp::SrcInvert);
    for (int ty = 0; ty < 5; ++ty) {
      for (int tx = 0; tx < 6; ++tx) {
        const int px = c.sx + tx - c.x, py = c.sy + ty - c.y;
        const bool drawn = Rect{c.x, c.y, c.w, c.h}.contains(tx, ty) && Rect{0, 0, 4, 3}.contains(px, py);
        EXPECT_EQ(target.at(tx, ty), drawn ? source.at(px, py) ^ 0x0F0F0F0Fu : 0x0F0F0F0Fu)
            << tx << "," << ty << " of " << c.x << "," << c.y << " " << c.w << "x" << c.h << " from " << c.sx
            << "," << c.sy;
      }
    }
  }
}

TEST(PaintScaled, TakesThePicturePixelNearestEachCentre) {
  Image picture(3, 2);
  picture.pixels = {1, 2, 3, 4, 5, 6};
  Image target(8, 5, 9);
  paint_scaled(target, {1, -1, 7, 4}, picture);  // its first row lies above the target
  const std::vector<Pixel> row = {9, 1, 1, 2, 2, 2, 3, 3};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(target.at(x, 0), row[x]) << x;
    EXPECT_EQ(target.at(x, 1), x == 0 ? Pixel{9} : row[x] + 3) << x;
    EXPECT_EQ(target.at(x, 3), 9u) << x;
  }
}

}  // namespace
}  // namespace tw
