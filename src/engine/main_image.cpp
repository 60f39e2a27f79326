// The main picture image1 as a canvas: the record's main image is drawn over
// what is there, opaque or through its mask.
#include <utility>

#include "base/failure.h"
#include "base/number.h"
#include "data/game_layout.h"
#include "engine/form1.h"
#include "engine/geometry.h"
#include "present/image_entry.h"
#include "present/raster.h"
#include "script/type_line.h"

namespace tw {

namespace {

// This message has no closing full stop.
constexpr char32_t kMainImageMessage[] =
    U"メインイメージの表示に失敗しました。画像ファイルのフォーマットが適切かどうか確認してください";
constexpr char32_t kImageFileMessage[] = U"イメージファイル名の取得に失敗しました。";
constexpr char32_t kImagePosMessage[] = U"イメージファイルの表示位置取得に失敗しました。";

}  // namespace

// A picture loaded into a work surface gives the surface its size.
void Form1::load_work_picture(PictureBox& box, TextView engine_path) {
  Image picture = load_picture(engine_path);
  const ScreenMetrics screen = platform_.screen.metrics();
  box.Width = double(picture.width) * screen.twips_per_pixel_x;
  box.Height = double(picture.height) * screen.twips_per_pixel_y;
  box.surface = std::move(picture);
}

// Mask1 takes the image and Mask2 the mask; the canvas pixel becomes
// P XOR (M AND (NOT D)): the image where the mask is black, the canvas where
// mask and image are white. An opaque image is drawn through a black mask.
void Form1::Draw_Main_Image() {
  with_message(kMainImageMessage, [this] {
    const Text file = Get_Image_File();
    if (file.empty()) {
      image1.clear_surface();
      return;
    }
    const Text& entry = image_list.line(Line_No);
    if (entry == Main_Image_Name) return;  // on the canvas already
    Get_Image_Pos();
    load_work_picture(Mask1, kImageFolder + file);
    // The rectangle divides by 15 twips whatever the screen's factor.
    const int w = to_pixels(Mask1.Width);
    const int h = to_pixels(Mask1.Height);
    if (is_masked_entry(entry)) {
      load_work_picture(Mask2, kImageMaskFolder + file);
      bit_blt(image1.surface, Image_X, Image_Y, w, h, Mask2.surface, 0, 0, RasterOp::SrcErase);
      // A mask smaller than its image counts as black beyond its edges: the
      // image covers there instead of mixing with the canvas.
      erase_beyond_mask(image1.surface, Image_X, Image_Y, w, h, Mask1.surface, Mask2.surface);
      bit_blt(image1.surface, Image_X, Image_Y, w, h, Mask1.surface, 0, 0, RasterOp::SrcInvert);
    } else {
      // An opaque image is drawn through a black mask of its own size: the
      // erase leaves black, the invert then the image, so it is a copy.
      // Whatever a masked sub image left in Mask2 takes no part.
      Mask2.Height = Mask1.Height;
      Mask2.Width = Mask1.Width;
      bit_blt(image1.surface, Image_X, Image_Y, w, h, Mask1.surface, 0, 0, RasterOp::SrcCopy);
    }
    // The compositor shows the surface as it is: there is nothing to refresh.
  });
}

void Form1::prefetch_pictures_ahead() {
  try {
    const std::optional<long> next = record_ahead();
    if (!next) return;
    const Text& entry = image_list.line(*next);
    if (entry.empty() || entry == Main_Image_Name) return;  // nothing to load
    const Text file = image_file_of(entry);
    prefetch_picture(kImageFolder + file);
    if (is_masked_entry(entry)) prefetch_picture(kImageMaskFolder + file);
  } catch (const Failure&) {
    // A type line or entry that does not read fails the step itself.
  }
}

// The record the next step goes to as things stand: at a choice, the one
// highlighted, which a click anywhere takes.
std::optional<long> Form1::record_ahead() const {
  if (Line_No == -1) return 0;
  switch (kind_of(type_line())) {
    case RecordKind::Normal:
    case RecordKind::Flag:
    case RecordKind::Save:
      return Line_No + 1L;
    case RecordKind::Jump:
      return jump_target(type_line());
    case RecordKind::If: {
      const IfLine line = parse_if_line(type_line());
      const std::optional<int> flag = flag_index(line.letter);
      const std::optional<bool> holds = flag ? compare_flag(Flags[*flag], line.value, line.op) : std::nullopt;
      return holds ? to_int16(*holds ? line.first : line.second) : 0;
    }
    case RecordKind::Command:
      if (Choice_Wait == -1 && Choice_Jump[Choice_Hover] != 0) return Choice_Jump[Choice_Hover];
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void Form1::prefetch_picture(TextView engine_path) {
  if (const auto file = platform_.game.resolve(engine_path)) platform_.pictures.prefetch(*file);
}

// The name is everything before the first "<"; an entry without one fails,
// so a record names a picture only together with its position.
Text Form1::Get_Image_File() {
  Text name;
  with_message(kImageFileMessage, [&] {
    Image_File_Work.clear();
    Image_File_Work = image_file_of(image_list.line(Line_No));
    name = Image_File_Work;
  });
  return name;
}

// x runs from after the first "<" to the next ",", y from there to the next
// ">"; what follows the ">" is ignored.
void Form1::Get_Image_Pos() {
  with_message(kImagePosMessage, [this] {
    const ImagePosition position = image_position_of(image_list.line(Line_No));
    Image_X = position.x;
    Image_Y = position.y;
  });
}

}  // namespace tw
