// The raster operations on the whole 32-bit pixel, their clipping and the
// scaled paint.
#include <gtest/gtest.h>

#include "present/raster.h"

namespace tw {
namespace {

constexpr auto kErase = RasterOp::SrcErase;
constexpr auto kInvert = RasterOp::SrcInvert;
constexpr Pixel kWhite24 = 0x00FFFFFF;

// One target pixel before and after one operation with one source pixel.
TEST(BitBlt, CombinesTheWholeWord) {
  const struct {
    Pixel before, source;
    RasterOp op;
    Pixel after;
  } steps[] = {
      {0x89ABCDEF, 0xFEDCBA98, kInvert, 0x77777777},
      {0x89ABCDEF, 0xFEDCBA98, kErase, 0x76543210},
      {0x89ABCDEF, 0xFEDCBA98, RasterOp::SrcCopy, 0xFEDCBA98},
      // An image through its mask: erase with the mask, then invert with the
      // image. A black mask leaves the image; a white mask and image leave
      // the canvas, its top byte lost.
      {0xAB654321, 0, kErase, 0},
      {0, 0x00123456, kInvert, 0x00123456},
      {0xAB654321, kWhite24, kErase, 0x009ABCDE},
      {0x009ABCDE, kWhite24, kInvert, 0x00654321},
  };
  for (const auto& step : steps) {
    Image target(1, 1, step.before);
    bit_blt(target, 0, 0, 1, 1, Image(1, 1, step.source), 0, 0, step.op);
    EXPECT_EQ(target.at(0, 0), step.after) << std::hex << step.before << " " << step.source;
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
    bit_blt(target, c.x, c.y, c.w, c.h, source, c.sx, c.sy, kInvert);
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
