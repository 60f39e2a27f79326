#pragma once

#include "base/image.h"
#include "engine/form1.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// The whole screen as the player sees it: the window's own surface with its
// tiles, the debug labels, the main picture, and the message frame with the
// message window and its labels on top. The replay's screenshots and the
// desktop window both show this image.
Image compose_screen(const Form1& form, Fonts& fonts);
// The same into an image kept from frame to frame, so that presenting does
// not take fresh memory each time.
void compose_screen(const Form1& form, Fonts& fonts, Image& screen);

}  // namespace tw
