#pragma once

#include <array>

#include "base/image.h"
#include "engine/form1.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// What the player's comforts change in the picture of the screen, never in
// the engine: the message window put away, or an earlier page shown in it.
struct ScreenView {
  bool hide_message_window = false;
  // Four lines drawn in the message window instead of its labels' captions,
  // in the plain text colour; the window is shown even where the game hid it.
  const std::array<Text, kMessageLines>* page = nullptr;
};

// The resolution labels are drawn at: the screen's, in pixels per inch.
int label_pixels_per_inch(const Form1& form);
// The same for a screen of the given twips per pixel, top to bottom.
int label_pixels_per_inch(int twips_per_pixel_y);

// What is drawn of a caption's first line in a label whose visible part
// reaches `reach` pixels right of its left edge: the text up to the first
// line break (the next line is drawn below it), and only the characters
// that can reach that far, none being narrower than half a pixel. A caption
// of a megabyte thus costs no more than one that fills the label.
TextView drawn_line(TextView caption, int reach);

// The whole screen as the player sees it: the window's own surface with its
// tiles, the debug labels, the main picture, and the message frame with the
// message window and its labels on top. The replay's screenshots and the
// desktop window both show this image.
Image compose_screen(const Form1& form, Fonts& fonts, const ScreenView& view = {});
// The same into an image kept from frame to frame, so that presenting does
// not take fresh memory each time.
void compose_screen(const Form1& form, Fonts& fonts, Image& screen, const ScreenView& view = {});

}  // namespace tw
