#pragma once

#include <vector>

#include "base/text.h"
#include "platform/desktop/image_window.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// Breaks `message` into lines no wider than `max_width` pixels: at its own
// line breaks, and between any two characters, as Japanese text is broken.
std::vector<Text> wrap_text(Fonts& fonts, const FontSpec& font, TextView message, int max_width);

// A modal box with the message, an error icon and an OK button, drawn by us
// so that Japanese shows in the game's own fonts. Returns when the player
// closes it with OK, Enter, Escape or the window's close button, handing
// back the box hidden: the caller keeps it until the program ends, as SDL's
// X11 backend may still be sending it a wake-up message on a second
// connection, and one that arrives after the window is gone makes Xlib end
// the program with a BadWindow error.
ImageWindow show_message_box(Fonts& fonts, TextView title, TextView message);

}  // namespace tw
