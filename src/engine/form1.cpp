#include "engine/form1.h"

#include "base/failure.h"
#include "base/number.h"
#include "engine/geometry.h"
#include "present/panel_pictures.h"

namespace tw {

namespace {

constexpr double twips(int pixels) { return pixels * static_cast<double>(kTwipsPerPixel); }

const FontSpec kMessageWindowFont{U"ＭＳ Ｐ明朝", 18.0, true};
const FontSpec kMessageFont{U"ＭＳ 明朝", 15.75, true};
const FontSpec kDebugLabelFont{U"ＭＳ Ｐ明朝", 11.25, false};

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
  // No procedure draws on Image_Temp or reads it: it gets no pixels.
  place(Image_Temp, U"Image_Temp", 0, 0, 641, 481);
  Image_Temp.BackColor = kBlack;
  Image_Temp.Visible = false;
  make_picture(Mask2, U"Mask2", 0, 0, 0, 0, kBlack);
  Mask2.Visible = false;
  make_picture(Mask1, U"Mask1", 0, 0, 0, 0, kBlack);
  Mask1.Visible = false;

  Timer1.Interval = 500;  // running from creation, when the clock reads 0
  Timer1.due = 500;

  make_picture(waku, U"waku", 88, 360, 480, 150, kFrameGrey);
  waku.Visible = false;
  make_picture(Window, U"Window", 5, 5, 470, 140, kBlack);
  Window.ForeColor = kWhite;
  Window.Font = kMessageWindowFont;

  constexpr int kMessageTops[kMessageLabels] = {8, 35, 62, 89, 120};
  for (int i = 0; i < kMessageLabels; ++i) {
    Label& label = Message[i];
    const Text name = indexed(U"Message", i);
    place(label, name.c_str(), 10, kMessageTops[i], 450, i == 4 ? 25 : 23);
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

}  // namespace tw
