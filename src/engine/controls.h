#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/colours.h"
#include "base/image.h"
#include "base/text.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// What every control of the game window has. Positions and sizes are twips
// relative to the parent control, as the window system keeps them.
struct Control {
  Text name;  // as the engine and the replay's state dump call it
  double Left = 0;
  double Top = 0;
  double Width = 0;
  double Height = 0;
  bool Visible = true;
  bool Enabled = true;
  int MousePointer = 0;  // 99: the cursor picture in MouseIcon
  std::optional<Image> MouseIcon;
};

constexpr int kCustomMousePointer = 99;

enum class BackStyle : int { Transparent = 0, Opaque = 1 };

struct Label : Control {
  Text Caption;
  Colour ForeColor = kSystemButtonText;
  Colour BackColor = kSystemButtonFace;
  BackStyle Back_Style = BackStyle::Opaque;
  FontSpec Font;
};

// A picture control that keeps its drawn content in an off-screen image:
// drawing goes into `surface`, the screen shows it, and clearing fills it
// with the background colour. `Picture` is the picture assigned to the
// control, shown at its top-left corner beneath what is drawn.
struct PictureBox : Control {
  Colour BackColor = kSystemButtonFace;
  Colour ForeColor = kSystemButtonText;
  FontSpec Font;
  std::optional<Image> Picture;
  Image surface;

  // Clears the kept content to the background colour.
  // Fills the kept image in place: presentations clear surfaces often, and a
  // fresh allocation each time costs more than the fill.
  void clear_surface() { std::fill(surface.pixels.begin(), surface.pixels.end(), pixel_of(BackColor)); }

  // Setting the background colour clears the kept content, as the window
  // system does for surfaces that keep their drawing.
  void set_back_color(Colour colour) {
    BackColor = colour;
    clear_surface();
  }

  // Gives the kept content the control's size in pixels, keeping what was
  // drawn at the top-left and filling new area with the background colour.
  void fit_surface(int width_px, int height_px);
};

// A windowless picture holder; the engine uses one only to measure the
// background tile.
struct ImageBox : Control {
  std::optional<Image> Picture;
};

// A timer control. The interval is in milliseconds, 0 when stopped; `due`
// is the clock time of its next tick while it runs.
struct Timer {
  Text name;
  int Interval = 0;
  std::int64_t due = 0;

  // Setting a non-zero interval starts the count afresh, even when the
  // interval does not change.
  void set_interval(int interval_ms, std::int64_t now_ms) {
    Interval = interval_ms;
    due = now_ms + interval_ms;
  }
};

}  // namespace tw
