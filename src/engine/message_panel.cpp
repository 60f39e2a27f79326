// The message window's half-transparent panel and the sub image at its left.
#include <algorithm>

#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "engine/geometry.h"
#include "present/image_entry.h"
#include "present/panel_pictures.h"
#include "present/raster.h"

namespace tw {

namespace {

constexpr char32_t kSubImageMessage[] =
    U"サブイメージの表示に失敗しました。画像のフォーマットを確認してください。";

// A masked sub image is drawn unscaled into the window's top-left corner.
constexpr int kMaskedSubSize = 140;

}  // namespace

// The repaint test of the panel and the sub image. It sets the current file
// name against the whole entry shown last, position included, so a record
// with a main image always repaints.
bool Form1::image_entries_changed() {
  const bool main_changed = Get_Image_File() != Main_Image_Name;
  return main_changed || sub_Image_List.line(Line_No) != Sub_Image_Name;
}

// Even squares show the main picture behind the window with the background
// colour's bits inverted (unchanged on black); odd squares show the blue.
// No message of its own: a failure is reported by the caller.
void Form1::Window_Paint() {
  if (!waku.Visible) return;
  if (!image_entries_changed()) return;
  Window.clear_surface();
  // The main picture's point under the window's top-left corner: the picture
  // lies centred in the game window, the window centred in its frame.
  const int sx = to_pixels(waku.Left - (form.Width - image1.Width) / 2 + (waku.Width - Window.Width) / 2);
  const int sy = to_pixels(waku.Top - (form.Height - image1.Height) / 2 + (waku.Height - Window.Height) / 2);
  bit_blt(Window.surface, 0, 0, kPanelWidth, kPanelHeight, image1.surface, sx, sy, RasterOp::SrcInvert);
  bit_blt(Window.surface, 0, 0, kPanelWidth, kPanelHeight, Picture2.surface, 0, 0, RasterOp::SrcErase);
  bit_blt(Window.surface, 0, 0, kPanelWidth, kPanelHeight, Picture1.surface, 0, 0, RasterOp::SrcInvert);
  // The compositor shows the surface as it is: there is nothing to refresh.
}

void Form1::Draw_Sub_Image() {
  with_message(kSubImageMessage, [this] {
    if (!waku.Visible) return;
    const Text sub = sub_Image_List.line(Line_No);
    if (!sub_window_on(Main_List) || sub.empty()) return;
    if (!image_entries_changed()) return;
    if (is_masked_entry(sub)) {
      load_work_picture(Mask1, kSubImageFolder + sub);
      load_work_picture(Mask2, kSubImageMaskFolder + sub);
      // Only the picture's own pixels are drawn: where a small picture ends,
      // the panel stays as it is; where a small mask ends, the picture covers.
      const int w = std::min(kMaskedSubSize, Mask1.surface.width);
      const int h = std::min(kMaskedSubSize, Mask1.surface.height);
      bit_blt(Window.surface, 0, 0, w, h, Mask2.surface, 0, 0, RasterOp::SrcErase);
      erase_beyond_mask(Window.surface, 0, 0, w, h, Mask1.surface, Mask2.surface);
      bit_blt(Window.surface, 0, 0, w, h, Mask1.surface, 0, 0, RasterOp::SrcInvert);
    } else {
      // Painted straight from the file, stretched to the sub image area.
      const Image picture = load_picture(kSubImageFolder + sub);
      const ScreenMetrics screen = platform_.screen.metrics();
      paint_scaled(Window.surface,
                   {0, 0, to_pixels(Sub_Width, screen.twips_per_pixel_x),
                    to_pixels(Sub_Height, screen.twips_per_pixel_y)},
                   picture);
    }
  });
}

}  // namespace tw
