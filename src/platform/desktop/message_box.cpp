#include "platform/desktop/message_box.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/desktop/classic_look.h"
#include "platform/desktop/image_window.h"

namespace tw {

namespace {

const FontSpec kBoxFont{U"ＭＳ Ｐ明朝", 11.0, false};
constexpr int kMargin = 14;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 460;
constexpr int kMinimumWidth = 220;
constexpr int kLineGap = 3;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct BoxLayout {
  std::vector<Text> lines;
  int line_height = 0;
  int width = 0;
  int height = 0;
  int icon_y = 0;
  Rect text;
  Rect button;
};

BoxLayout lay_out_box(Fonts& fonts, TextView message) {
  BoxLayout box;
  box.lines = wrap_text(fonts, kBoxFont, message, kMaxTextWidth);
  box.line_height = measure_text(fonts, kBoxFont, U"あ").height + kLineGap;
  int text_width = 0;
  for (const Text& line : box.lines)
    text_width = std::max(text_width, measure_text(fonts, kBoxFont, line).width);
  const int text_height = box.line_height * static_cast<int>(box.lines.size());
  const int text_x = kMargin + kIconSize + kMargin;
  box.width = std::max(kMinimumWidth, text_x + text_width + kMargin);
  const int body = std::max(kIconSize, text_height);
  box.icon_y = kMargin + (body - kIconSize) / 2;
  box.text = {text_x, kMargin + (body - text_height) / 2, text_width, text_height};
  box.button = {(box.width - kButtonWidth) / 2, kMargin + body + kMargin, kButtonWidth, kButtonHeight};
  box.height = box.button.y + kButtonHeight + kMargin;
  return box;
}

// The error icon: a red disc with a white cross.
void draw_error_icon(Image& image, int x, int y) {
  constexpr int kRadius = kIconSize / 2 - 1;
  constexpr int kCentre = kIconSize / 2;
  for (int dy = 0; dy < kIconSize; ++dy) {
    for (int dx = 0; dx < kIconSize; ++dx) {
      const int rx = dx - kCentre;
      const int ry = dy - kCentre;
      const int distance = rx * rx + ry * ry;
      if (distance > kRadius * kRadius) continue;
      const bool edge = distance > (kRadius - 1) * (kRadius - 1);
      const bool cross = std::abs(rx - ry) <= 1 || std::abs(rx + ry) <= 1;
      const bool in_cross = cross && std::abs(rx) <= kRadius / 2 && std::abs(ry) <= kRadius / 2;
      image.at(x + dx, y + dy) = edge ? 0x800000 : in_cross ? kHighlightWhite : 0xFF0000;
    }
  }
}

void draw_button(Image& image, Fonts& fonts, const Rect& button, bool pressed) {
  // The default button: a black frame around a raised (or, pressed, flat)
  // face, with the dotted focus rectangle inside.
  fill_rect(image, button, kFrameBlack);
  const Rect face{button.x + 1, button.y + 1, button.width - 2, button.height - 2};
  fill_rect(image, face, kFaceGrey);
  if (pressed) {
    fill_rect(image, {face.x, face.y, face.width, 1}, kShadowGrey);
    fill_rect(image, {face.x, face.y, 1, face.height}, kShadowGrey);
  } else {
    draw_raised_edge(image, face);
  }
  const Rect focus{face.x + 3, face.y + 3, face.width - 6, face.height - 6};
  for (int x = focus.x; x < focus.x + focus.width; x += 2) {
    image.at(x, focus.y) = kFrameBlack;
    image.at(x, focus.y + focus.height - 1) = kFrameBlack;
  }
  for (int y = focus.y; y < focus.y + focus.height; y += 2) {
    image.at(focus.x, y) = kFrameBlack;
    image.at(focus.x + focus.width - 1, y) = kFrameBlack;
  }
  const TextSize label = measure_text(fonts, kBoxFont, U"OK");
  const int shift = pressed ? 1 : 0;
  draw_text(image, fonts, kBoxFont, U"OK", button.x + (button.width - label.width) / 2 + shift,
            button.y + (button.height - label.height) / 2 + shift, kTextBlack);
}

Image draw_box(Fonts& fonts, const BoxLayout& box, bool pressed) {
  Image image(box.width, box.height, kFaceGrey);
  draw_error_icon(image, kMargin, box.icon_y);
  int y = box.text.y;
  for (const Text& line : box.lines) {
    draw_text(image, fonts, kBoxFont, line, box.text.x, y, kTextBlack);
    y += box.line_height;
  }
  draw_button(image, fonts, box.button, pressed);
  return image;
}

bool closes_box(SDL_Keycode key) {
  return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_ESCAPE || key == SDLK_SPACE;
}

// Runs the box's events until the player closes it.
void run_box(ImageWindow& window, const BoxLayout& box, Fonts& fonts) {
  bool pressed = false;
  for (;;) {
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) return;  // no events will come: nothing to wait for
    bool redraw = false;
    switch (event.type) {
      case SDL_QUIT:
        return;
      case SDL_WINDOWEVENT:
        if (event.window.windowID != window.id()) break;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) return;
        window.invalidate();
        redraw = true;
        break;
      case SDL_KEYDOWN:
        if (closes_box(event.key.keysym.sym)) return;
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == window.id() && event.button.button == SDL_BUTTON_LEFT &&
            box.button.contains(event.button.x, event.button.y)) {
          pressed = redraw = true;
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (pressed && event.button.button == SDL_BUTTON_LEFT) {
          if (box.button.contains(event.button.x, event.button.y)) return;
          pressed = false;
          redraw = true;
        }
        break;
      default:
        break;
    }
    if (redraw) window.present(draw_box(fonts, box, pressed), 1);
  }
}

}  // namespace

std::vector<Text> wrap_text(Fonts& fonts, const FontSpec& font, TextView message, int max_width) {
  std::vector<Text> lines;
  Text line;
  for (const char32_t c : message) {
    if (c == U'\r') continue;
    if (c == U'\n') {
      lines.push_back(line);
      line.clear();
      continue;
    }
    Text longer = line + c;
    if (!line.empty() && measure_text(fonts, font, longer).width > max_width) {
      lines.push_back(line);
      longer = Text(1, c);
    }
    line = longer;
  }
  lines.push_back(line);
  while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

ImageWindow show_message_box(Fonts& fonts, TextView title, TextView message) {
  const BoxLayout box = lay_out_box(fonts, message);
  ImageWindow window(to_utf8(title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, box.width,
                     box.height, SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
  SDL_RaiseWindow(window.window());
  window.present(draw_box(fonts, box, false), 1);
  run_box(window, box, fonts);
  SDL_HideWindow(window.window());
  return window;
}

}  // namespace tw
