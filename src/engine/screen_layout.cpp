#include "engine/screen_layout.h"

#include "engine/geometry.h"

namespace tw {

namespace {

Rect pixel_rect(const Form1& form, const Control& control, int origin_x, int origin_y) {
  const ScreenMetrics screen = form.platform().screen.metrics();
  const int tx = screen.twips_per_pixel_x;
  const int ty = screen.twips_per_pixel_y;
  return {origin_x + to_pixels(control.Left, tx), origin_y + to_pixels(control.Top, ty),
          to_pixels(control.Width, tx), to_pixels(control.Height, ty)};
}

ScreenPlace inside(const Form1& form, const Control& control, const ScreenPlace& parent) {
  const Rect rect = pixel_rect(form, control, parent.rect.x, parent.rect.y);
  return {rect, intersect(rect, parent.visible)};
}

ScreenPlace whole_form(const Form1& form) {
  const Rect screen{0, 0, form.form_surface.width, form.form_surface.height};
  return {screen, screen};
}

bool shows(const ScreenPlace& place, int x, int y) { return place.visible.contains(x, y); }

}  // namespace

ScreenPlace place_on_form(const Form1& form, const Control& control) {
  return inside(form, control, whole_form(form));
}

ScreenPlace place_of_image1(const Form1& form) { return place_on_form(form, form.image1); }
ScreenPlace place_of_waku(const Form1& form) { return place_on_form(form, form.waku); }

ScreenPlace place_of_Window(const Form1& form) { return inside(form, form.Window, place_of_waku(form)); }

ScreenPlace place_of_message(const Form1& form, int index) {
  return inside(form, form.Message[index], place_of_Window(form));
}

std::optional<MouseTarget> control_at(const Form1& form, int x, int y) {
  if (!form.form.Visible || !form.form.Enabled) return std::nullopt;
  // The message frame lies over the main picture; within the message
  // window its labels lie over the window's surface.
  if (form.waku.Visible && shows(place_of_waku(form), x, y)) {
    if (!form.waku.Enabled || !form.Window.Visible || !shows(place_of_Window(form), x, y)) {
      return std::nullopt;
    }
    for (int i = 0; i < kMessageLabels; ++i) {
      if (form.Message[i].Visible && shows(place_of_message(form, i), x, y)) {
        if (!form.Window.Enabled || !form.Message[i].Enabled) return std::nullopt;
        return MouseTarget{ControlId::Message, i};
      }
    }
    if (!form.Window.Enabled) return std::nullopt;
    return MouseTarget{ControlId::Window, 0};
  }
  if (form.image1.Visible && shows(place_of_image1(form), x, y)) {
    if (!form.image1.Enabled) return std::nullopt;
    return MouseTarget{ControlId::image1, 0};
  }
  return std::nullopt;
}

bool receives_input(const Form1& form, MouseTarget target) {
  if (!form.form.Visible || !form.form.Enabled) return false;
  switch (target.control) {
    case ControlId::image1:
      return form.image1.Visible && form.image1.Enabled;
    case ControlId::waku:
      return false;  // the frame takes no mouse events
    case ControlId::Window:
      return form.waku.Visible && form.waku.Enabled && form.Window.Visible && form.Window.Enabled;
    case ControlId::Message: {
      const Label& label = form.Message[target.index];
      return form.waku.Visible && form.waku.Enabled && form.Window.Visible && form.Window.Enabled &&
             label.Visible && label.Enabled;
    }
  }
  return false;
}

namespace {

const Image* own_pointer(const Control& control) {
  if (control.MousePointer != kCustomMousePointer || !control.MouseIcon || control.MouseIcon->empty())
    return nullptr;
  return &*control.MouseIcon;
}

}  // namespace

std::vector<const Image*> pointer_pictures(const Form1& form) {
  return {own_pointer(form.waku), own_pointer(form.image1)};
}

const Image* pointer_picture_at(const Form1& form, int x, int y) {
  if (form.waku.Visible && place_of_waku(form).visible.contains(x, y)) {
    if (form.Window.Visible && place_of_Window(form).visible.contains(x, y)) return nullptr;
    return own_pointer(form.waku);
  }
  if (form.image1.Visible && place_of_image1(form).visible.contains(x, y)) return own_pointer(form.image1);
  return nullptr;
}

}  // namespace tw
