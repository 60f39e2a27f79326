#pragma once

#include <optional>
#include <vector>

#include "engine/form1.h"
#include "present/raster.h"

namespace tw {

// Where a control lies on the screen: its rectangle in screen pixels and the
// part of it that its parents let show.
struct ScreenPlace {
  Rect rect;
  Rect visible;
};

ScreenPlace place_of_image1(const Form1& form);
ScreenPlace place_of_waku(const Form1& form);
ScreenPlace place_of_Window(const Form1& form);
ScreenPlace place_of_message(const Form1& form, int index);
ScreenPlace place_on_form(const Form1& form, const Control& control);

// A control that takes mouse events, and which of an array.
struct MouseTarget {
  ControlId control;
  int index = 0;
};

// The control that receives a mouse event at screen pixel (x, y): the
// topmost visible control there. Nothing when that control is disabled or
// takes no mouse events (the frame, the window background, the debug labels).
std::optional<MouseTarget> control_at(const Form1& form, int x, int y);

// Whether a control and every control that holds it are visible, and it is
// enabled: only then does an event delivered straight to it arrive.
bool receives_input(const Form1& form, MouseTarget target);

// The mouse pointer pictures the game set on the frame and the main picture
// (null for a control that shows the standard pointer).
std::vector<const Image*> pointer_pictures(const Form1& form);
// The pointer picture shown at screen pixel (x, y), or null for the standard
// pointer. A control's own pointer applies only where no child lies over
// it: the message window and its labels show the standard pointer.
const Image* pointer_picture_at(const Form1& form, int x, int y);

}  // namespace tw
