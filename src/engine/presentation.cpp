// Presentation: what a record shows on the main picture, on the message
// window and its sub image, and the timed picture runs.

#include <algorithm>
#include <utility>

#include "base/failure.h"
#include "base/number.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "engine/geometry.h"
#include "present/image_entry.h"
#include "present/panel_pictures.h"
#include "present/raster.h"
#include "script/next_record.h"
#include "script/type_line.h"

namespace tw {

// Presenting the current scene record.
namespace {

constexpr char32_t kShowSceneMessage[] = U"シーンの表示中に原因不明のエラーが発生しました。";
constexpr int kRevealTickMs = 30;

}  // namespace

void Form1::Show_Scene() {
  with_message(kShowSceneMessage, [this] {
    Draw_Main_Image();
    Window_Paint();
    Draw_Sub_Image();
    // The work surfaces are emptied between presentations: every drawing
    // loads its picture and mask into them afresh, so nothing is kept.
    Mask1.surface = Image();
    Mask2.surface = Image();
    Main_Image_Name = image_list.line(Line_No);
    Sub_Image_Name = sub_Image_List.line(Line_No);
    Text_Running = -1;
    Timer3.set_interval(kRevealTickMs, platform_.clock.now_ms());
    for (int i = 0; i < kMessageLines; ++i) Message[i].Caption.clear();
    Reveal_Line = 0;
    // The music goes on while records name the same song; an empty name
    // is a name like any other and stops it.
    if (const Text& music = Midi_List.line(Line_No); music != Midi_Name) {
      Midi_Name = music;
      start_music(music);
    }
    schedule_sound_effect();
  });
}

// The main picture image1 as a canvas: the record's main image is drawn over
// what is there, opaque or through its mask.
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
    case RecordKind::Command:
      if (Choice_Wait == -1 && Choice_Jump[Choice_Hover] != 0) return Choice_Jump[Choice_Hover];
      return std::nullopt;
    case RecordKind::Image:  // the run presents this record again first
      return std::nullopt;
    default: {
      const RecordLeads leads = next_records(type_line(), Line_No, &Flags);
      if (leads.records.size() != 1) return std::nullopt;
      return leads.records.front();
    }
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

// The message window's half-transparent panel and the sub image at its left.
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

// Timed image runs: consecutive IMAGE records shown one after another, each
// for its number of 100 ms ticks, without the message window.
namespace {

constexpr char32_t kImageTimeMessage[] = U"シーンタイプIMAGEの時間が取得できませんでした。";
constexpr char32_t kImageRunMessage[] = U"シーンタイプIMAGEの処理中に原因不明のエラーが発生しました。";

}  // namespace

// IMAGE<30>: the time between the first "<" and the next ">".
std::int16_t Form1::Get_Image_Time() {
  with_message(kImageTimeMessage, [this] { Image_Time = image_time_of(GAME_List.line(Line_No)); });
  return Image_Time;
}

// When the current record's time has run out it is presented (again) and the
// next record becomes current; the run ends at the first record that is not
// an IMAGE record, which is not presented itself.
void Form1::Timer4_Timer() {
  with_message(kImageRunMessage, [this] {
    Image_Count = checked_int16(Image_Count + 1L);
    if (Image_Count < Image_Time) return;
    Image_Count = 0;
    Show_Scene();
    Line_No = checked_int16(Line_No + 1L);
    Show_Flags();
    if (kind_of(type_line()) == RecordKind::Image) {
      Get_Image_Time();
      return;
    }
    Timer4.set_interval(0, platform_.clock.now_ms());
    end_image_run();
  });
}

}  // namespace tw
