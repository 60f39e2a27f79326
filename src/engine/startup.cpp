// Start-up: creating the window, the load step and the choice of mode.
#include <cmath>

#include "base/failure.h"
#include "base/number.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "engine/geometry.h"
#include "platform/program_location.h"
#include "present/raster.h"

namespace tw {

namespace {

constexpr std::int16_t kSubSize = 2100;       // 140 pixels of sub image, in twips
constexpr double kFrameGapAboveBottom = 200;  // from the frame's bottom to the picture's
constexpr Colour kMessageHighlight = 0xFF0000;

}  // namespace

Colour system_colour_for(const Text& setting) {
  return setting == kBlackSetting ? kSystemButtonText : kSystemHighlightText;
}

void Form1::Form_Initialize() {
  // The first use of a control loads the window, so the whole load step runs
  // before the first presentation reads any list store.
  Form_Load();
  Show_Scene();
  Char_Pos = 9;
  Choice_Wait = 0;
}

void Form1::Form_Load() {
  Scene_No = 1;
  Init_Game();
  Sub_Width = kSubSize;
  Sub_Height = kSubSize;
  lay_out_window();
  colour_window();
  set_cursors();
  if (!Main_List.line(setting::kBackgroundTile).empty()) paint_background_tiles();
  if (const Text& frame = Main_List.line(setting::kFramePicture); !frame.empty()) {
    waku.Picture = load_picture(kFrameImageFolder + frame);
  }
}

void Form1::Init_Game() {
  Debug_Mode = selects_debug_mode(platform_.program.name) ? -1 : 0;
  if (Debug_Mode == -1) {
    Read_Game_Files();
    for (Label& label : Flag_Label) label.Visible = true;
    Type_Label.Visible = true;
    Page_Label.Visible = true;
    Read_Debug_File();
  } else {
    Read_Scene_File();
  }
}

// The window covers the screen; the main picture sits in its middle and the
// message frame just above the main picture's lower edge, widened by the
// sub image area when the sub window is on.
void Form1::lay_out_window() {
  const ScreenMetrics screen = platform_.screen.metrics();
  const int width_px = static_cast<int>(std::lround(double(screen.width_twips) / screen.twips_per_pixel_x));
  const int height_px = static_cast<int>(std::lround(double(screen.height_twips) / screen.twips_per_pixel_y));
  platform_.screen.set_window_pos_topmost(width_px, height_px);
  form.Left = 0;
  form.Top = 0;
  form.Width = double(width_px) * screen.twips_per_pixel_x;
  form.Height = double(height_px) * screen.twips_per_pixel_y;
  form.Visible = true;
  form_surface = Image(width_px, height_px, form_background);

  image1.Top = (form.Height - image1.Height) / 2;
  image1.Left = (form.Width - image1.Width) / 2;
  waku.Top = image1.Height + image1.Top - waku.Height - kFrameGapAboveBottom;
  if (sub_window_on(Main_List)) {
    Window.Width = Window.Width + Sub_Width;
    waku.Width = waku.Width + Sub_Width;
    waku.Left = (form.Width - waku.Width) / 2;
    for (Label& label : Message) label.Left = Sub_Width + label.Left;
  } else {
    waku.Left = (form.Width - waku.Width) / 2;
  }
  fit_surfaces();
}

void Form1::colour_window() {
  for (Label& label : Message) label.ForeColor = system_colour_for(Main_List.line(setting::kTextColour));
  waku.set_back_color(system_colour_for(Main_List.line(setting::kFrameColour)));
  Window.set_back_color(system_colour_for(Main_List.line(setting::kWindowColour)));
  for (int i = 0; i < kMessageLines; ++i) {
    Message[i].BackColor = kMessageHighlight;
    Message[i].Back_Style = BackStyle::Transparent;
  }
}

void Form1::set_cursors() {
  if (const Text& name = Main_List.line(setting::kFrameCursor); !name.empty()) {
    waku.MouseIcon = load_picture(kFrameImageFolder + name);
    waku.MousePointer = kCustomMousePointer;
  }
  if (const Text& name = Main_List.line(setting::kPictureCursor); !name.empty()) {
    image1.MouseIcon = load_picture(kFrameImageFolder + name);
    image1.MousePointer = kCustomMousePointer;
  }
}

// The tiles go onto the window's own surface, behind every control, once.
void Form1::paint_background_tiles() {
  back_image.Picture = load_picture(kFrameImageFolder + Main_List.line(setting::kBackgroundTile));
  const Image& tile = *back_image.Picture;
  const ScreenMetrics screen = platform_.screen.metrics();
  back_image.Width = double(tile.width) * screen.twips_per_pixel_x;
  back_image.Height = double(tile.height) * screen.twips_per_pixel_y;
  for (const TilePosition& at :
       tile_positions(form.Width, form.Height, long(back_image.Width), long(back_image.Height))) {
    paint_picture(form_surface, tile, int(at.x / screen.twips_per_pixel_x),
                  int(at.y / screen.twips_per_pixel_y));
  }
  back_image.Picture.reset();
}

Image Form1::load_picture(TextView engine_path) {
  const auto file = platform_.game.resolve(engine_path);
  if (!file) throw Failure("画像ファイルが見つかりません: " + platform_.game.spelled(engine_path));
  return platform_.pictures.load(*file);
}

void Form1::fit_surfaces() {
  const ScreenMetrics screen = platform_.screen.metrics();
  for (PictureBox* box : {&waku, &Window, &image1}) {
    box->fit_surface(to_pixels(box->Width, screen.twips_per_pixel_x),
                     to_pixels(box->Height, screen.twips_per_pixel_y));
  }
}

}  // namespace tw
