#pragma once

#include <algorithm>

#include "present/raster.h"

namespace tw {

// The smallest screen the games are made for: larger screens show the game
// at the largest whole multiple of it that fits.
constexpr int kDesignScreenWidth = 640;
constexpr int kDesignScreenHeight = 480;
// The client area the games were designed in, the size of --window.
constexpr int kDesignClientWidth = 801;
constexpr int kDesignClientHeight = 722;

// How the engine's screen maps onto the real one: the engine draws a screen
// of engine_width x engine_height pixels, shown with every pixel as a
// factor x factor block from window pixel (offset_x, offset_y).
struct ScreenScale {
  int factor = 1;
  int engine_width = 0;
  int engine_height = 0;
  int offset_x = 0;
  int offset_y = 0;

  bool operator==(const ScreenScale&) const = default;
};

// The whole screen, scaled by the largest whole factor that still leaves the
// engine at least the design screen.
constexpr ScreenScale full_screen_scale(int screen_width, int screen_height) {
  const int factor =
      std::max(1, std::min(screen_width / kDesignScreenWidth, screen_height / kDesignScreenHeight));
  return {factor, screen_width / factor, screen_height / factor};
}

// An ordinary window of the design client size, or the screen when smaller.
constexpr ScreenScale windowed_scale(int screen_width, int screen_height) {
  return {1, std::min(screen_width, kDesignClientWidth), std::min(screen_height, kDesignClientHeight)};
}

// The engine's screen of the given scale in a window of another size: at the
// largest whole factor that fits (at least 1), centred.
constexpr ScreenScale fitted_scale(const ScreenScale& engine, int window_width, int window_height) {
  const int factor = std::max(1, std::min(window_width / std::max(1, engine.engine_width),
                                          window_height / std::max(1, engine.engine_height)));
  return {factor, engine.engine_width, engine.engine_height,
          (window_width - engine.engine_width * factor) / 2,
          (window_height - engine.engine_height * factor) / 2};
}

// Where the engine's screen lies in the window, in window pixels.
constexpr Rect shown_rect(const ScreenScale& scale) {
  return {scale.offset_x, scale.offset_y, scale.engine_width * scale.factor,
          scale.engine_height * scale.factor};
}

struct EnginePoint {
  int x = 0;
  int y = 0;

  bool operator==(const EnginePoint&) const = default;
};

// The engine pixel under window pixel (x, y). Positions left of or above the
// window round down too, so they never land on pixel 0.
constexpr EnginePoint engine_point(const ScreenScale& scale, int x, int y) {
  const auto floor_div = [](int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
  };
  return {floor_div(x - scale.offset_x, scale.factor), floor_div(y - scale.offset_y, scale.factor)};
}

}  // namespace tw
