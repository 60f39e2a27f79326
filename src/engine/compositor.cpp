#include "engine/compositor.h"

#include <algorithm>

#include "data/settings.h"
#include "engine/screen_layout.h"
#include "present/raster.h"

namespace tw {

namespace {

constexpr int kTwipsPerInch = 1440;

// Draws a label's caption line by line from its top-left corner, over its
// background when the label is opaque.
void draw_label(Image& screen, const Label& label, const ScreenPlace& place, Fonts& fonts,
                int pixels_per_inch) {
  if (label.Back_Style == BackStyle::Opaque) {
    fill_rect(screen, place.visible, pixel_of(label.BackColor));
  }
  const Pixel ink = pixel_of(label.ForeColor);
  // What lies beyond the visible part is clipped: lines below it are not
  // drawn, and of each line only what drawn_line keeps.
  const int visible_bottom = place.visible.y + place.visible.height;
  const int reach = place.visible.x + place.visible.width - place.rect.x;
  int top = place.rect.y;
  std::size_t start = 0;
  while (start <= label.Caption.size() && top < visible_bottom) {
    std::size_t end = label.Caption.find_first_of(U"\r\n", start);
    if (end == Text::npos) end = label.Caption.size();
    const Coverage line =
        fonts.render(label.Font, drawn_line(TextView(label.Caption).substr(start), reach), pixels_per_inch);
    blend_coverage(screen, line, place.rect.x, top, ink, place.visible);
    top += line.height > 0 ? line.height : pixels_per_inch * static_cast<int>(label.Font.points) / 72;
    if (end < label.Caption.size() && label.Caption[end] == U'\r' && end + 1 < label.Caption.size() &&
        label.Caption[end + 1] == U'\n') {
      ++end;
    }
    start = end + 1;
  }
}

void draw_picture_box(Image& screen, const PictureBox& box, const ScreenPlace& place) {
  paint_picture(screen, box.surface, place.rect.x, place.rect.y, place.visible);
  if (box.Picture) paint_picture(screen, *box.Picture, place.rect.x, place.rect.y, place.visible);
}

// An earlier page in the message window: the frame and the window as they
// are now, and the page's four lines where the labels show theirs.
void draw_page(Image& screen, const Form1& form, const std::array<Text, kMessageLines>& page, Fonts& fonts,
               int pixels_per_inch) {
  draw_picture_box(screen, form.waku, place_of_waku(form));
  draw_picture_box(screen, form.Window, place_of_Window(form));
  const Colour plain = system_colour_for(form.Main_List.line(setting::kTextColour));
  for (int i = 0; i < kMessageLines; ++i) {
    Label line = form.Message[i];
    line.Caption = page[i];
    line.Back_Style = BackStyle::Transparent;
    line.ForeColor = plain;
    draw_label(screen, line, place_of_message(form, i), fonts, pixels_per_inch);
  }
}

}  // namespace

TextView drawn_line(TextView caption, int reach) {
  const std::size_t longest = 2 * static_cast<std::size_t>(std::max(0, reach)) + 16;
  return caption.substr(0, std::min(caption.find_first_of(U"\r\n"), longest));
}

int label_pixels_per_inch(int twips_per_pixel_y) { return kTwipsPerInch / twips_per_pixel_y; }

int label_pixels_per_inch(const Form1& form) {
  return label_pixels_per_inch(form.platform().screen.metrics().twips_per_pixel_y);
}

Image compose_screen(const Form1& form, Fonts& fonts, const ScreenView& view) {
  Image screen;
  compose_screen(form, fonts, screen, view);
  return screen;
}

void compose_screen(const Form1& form, Fonts& fonts, Image& screen, const ScreenView& view) {
  if (!form.form.Visible) {
    screen.width = form.form_surface.width;
    screen.height = form.form_surface.height;
    screen.pixels.assign(form.form_surface.pixels.size(), 0);
    return;
  }
  // Assigning keeps the pixels' memory when the size stays.
  screen = form.form_surface;
  const int ppi = label_pixels_per_inch(form);

  // Labels have no window of their own: they lie on the window's surface,
  // beneath every picture control.
  for (const Label* label : {&form.Flag_Label[0], &form.Flag_Label[1], &form.Flag_Label[2],
                             &form.Flag_Label[3], &form.Flag_Label[4], &form.Page_Label, &form.Type_Label}) {
    if (label->Visible) draw_label(screen, *label, place_on_form(form, *label), fonts, ppi);
  }
  if (form.image1.Visible) draw_picture_box(screen, form.image1, place_of_image1(form));
  if (view.hide_message_window) return;
  if (view.page) {
    draw_page(screen, form, *view.page, fonts, ppi);
    return;
  }
  if (form.waku.Visible) {
    draw_picture_box(screen, form.waku, place_of_waku(form));
    if (form.Window.Visible) {
      draw_picture_box(screen, form.Window, place_of_Window(form));
      for (int i = 0; i < kMessageLabels; ++i) {
        if (form.Message[i].Visible) {
          draw_label(screen, form.Message[i], place_of_message(form, i), fonts, ppi);
        }
      }
    }
  }
}

}  // namespace tw
