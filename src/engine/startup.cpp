// Start-up: the engine object and its controls, creating the window, the
// load step and the choice of mode.

#include <cmath>

#include "base/failure.h"
#include "base/number.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "engine/geometry.h"
#include "platform/program_location.h"
#include "present/panel_pictures.h"
#include "present/raster.h"

namespace tw {

// The engine object: its controls as the window lays them out, and the
// tables through which the menu and the debug monitor see it.
namespace {

constexpr double twips(int pixels) { return pixels * static_cast<double>(kTwipsPerPixel); }

const FontSpec kMessageWindowFont{U"ＭＳ Ｐ明朝", 18.0, true};
const FontSpec kMessageFont{U"ＭＳ 明朝", 15.75, true};
const FontSpec kDebugLabelFont{U"ＭＳ Ｐ明朝", 11.25, false};
constexpr int kMessageLabelWidth = 450;  // pixels

constexpr Colour kFrameGrey = 0xE0E0E0;
constexpr Colour kMessageLabelBack = 0xFF8080;
constexpr Colour kDebugLabelBack = 0xFFC0C0;

void place(Control& control, const char32_t* name, int left, int top, int width, int height) {
  control.name = name;
  control.Left = twips(left);
  control.Top = twips(top);
  control.Width = twips(width);
  control.Height = twips(height);
}

void make_picture(PictureBox& box, const char32_t* name, int left, int top, int width, int height,
                  Colour back) {
  place(box, name, left, top, width, height);
  box.BackColor = back;
  box.surface = Image(width, height, pixel_of(back));
}

void make_debug_label(Label& label, const Text& name, int left, const char32_t* caption, int width) {
  place(label, name.c_str(), left, 0, width, 17);
  label.Visible = false;
  label.Caption = caption;
  label.BackColor = kDebugLabelBack;
  label.Font = kDebugLabelFont;
}

Text indexed(const char32_t* name, int index) { return Text(name) + U"(" + decimal_text(index) + U")"; }

}  // namespace

Form1::Form1(Platform& platform) : platform_(platform) {
  form.name = U"Form1";
  form.Width = twips(801);
  form.Height = twips(722);
  form.Visible = false;  // shown by the load step, never before the data is read

  // Hidden work surfaces; two hold the built-in pictures of the panel.
  place(Picture2, U"Picture2", 0, 0, kPanelWidth, kPanelHeight);
  Picture2.BackColor = kBlack;
  Picture2.Visible = false;
  Picture2.surface = panel_mask();
  place(Picture1, U"Picture1", 0, 0, kPanelWidth, kPanelHeight);
  Picture1.BackColor = kBlack;
  Picture1.Visible = false;
  Picture1.surface = panel_colour();
  make_picture(Mask2, U"Mask2", 0, 0, 0, 0, kBlack);
  Mask2.Visible = false;
  make_picture(Mask1, U"Mask1", 0, 0, 0, 0, kBlack);
  Mask1.Visible = false;

  Timer1.Interval = 500;  // running from creation, when the clock reads 0
  Timer1.due = 500;

  make_picture(waku, U"waku", 88, 360, kFrameWidth, kFrameHeight, kFrameGrey);
  waku.Visible = false;
  make_picture(Window, U"Window", 5, 5, 470, 140, kBlack);
  Window.ForeColor = kWhite;
  Window.Font = kMessageWindowFont;

  constexpr int kMessageTops[kMessageLabels] = {8, 35, 62, 89, 120};
  for (int i = 0; i < kMessageLabels; ++i) {
    Label& label = Message[i];
    const Text name = indexed(U"Message", i);
    place(label, name.c_str(), 10, kMessageTops[i], kMessageLabelWidth, i == 4 ? 25 : 23);
    label.Back_Style = BackStyle::Transparent;
    label.BackColor = kMessageLabelBack;
    label.ForeColor = kSystemHighlightText;
    label.Font = kMessageFont;
  }
  Message[4].Caption = Text(kContinueMark);

  make_picture(image1, U"image1", 128, 48, 640, 480, kBlack);

  make_debug_label(Page_Label, U"Page_Label", 360, U"0", 73);
  make_debug_label(Type_Label, U"Type_Label", 432, U"TITLE", 209);
  constexpr const char32_t* kFlagCaptions[kShownFlags] = {U"A=0", U"B=0", U"C=0", U"D=0", U"E=0"};
  for (int i = 0; i < kShownFlags; ++i) {
    make_debug_label(Flag_Label[i], indexed(U"Flag_Label", i), 72 * i, kFlagCaptions[i], 73);
  }
  back_image.name = U"back_image";

  Text_mode = {U"Text_mode", U"テキスト表示"};
  Message_Mode_standard = {U"Message_Mode_standard", U"標準モード"};
  Message_Mode = {U"Message_Mode", U"高速モード", true};
  RESTART = {U"RESTART", U"タイトル画面に戻る", false, false};
  Load = {U"Load", U"続きから始める"};
  save = {U"save", U"セーブ", false, false, false};
  END_GAME = {U"END_GAME", U"終了"};

  Mci_Return = Text(512, U'\0');
}

std::array<const MenuItem*, 7> Form1::menu_items() const {
  return {&Text_mode, &Message_Mode_standard, &Message_Mode, &RESTART, &Load, &save, &END_GAME};
}

std::array<std::pair<const char*, const ListStore*>, 10> Form1::list_stores() const {
  return {{{"Main_List", &Main_List},
           {"GAME_List", &GAME_List},
           {"image_list", &image_list},
           {"sub_Image_List", &sub_Image_List},
           {"Wav_List", &Wav_List},
           {"Midi_List", &Midi_List},
           {"Message_List(0)", &Message_List[0]},
           {"Message_List(1)", &Message_List[1]},
           {"Message_List(2)", &Message_List[2]},
           {"Message_List(3)", &Message_List[3]}}};
}

// Start-up: creating the window, the load step and the choice of mode.
namespace {

constexpr std::int16_t kSubSize = 2100;  // 140 pixels of sub image, in twips
static_assert(kSubSize % kTwipsPerPixel == 0);
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

FrameSize message_frame_size(bool sub_window) {
  return {kFrameWidth + (sub_window ? kSubSize / kTwipsPerPixel : 0), kFrameHeight};
}

MessageLineLabels message_line_labels() { return {kMessageFont, twips(kMessageLabelWidth)}; }

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
