#pragma once

#include "data/list_store.h"

namespace tw {

// The game's settings file, one setting per line, addressed by line number.
// Lines 1, 4 and 11 are the author's own; lines after 12 are not read.
namespace setting {
constexpr int kTitle = 0;
constexpr int kBackgroundTile = 2;
constexpr int kFramePicture = 3;
constexpr int kTextColour = 5;
constexpr int kFrameColour = 6;
constexpr int kWindowColour = 7;
constexpr int kFrameCursor = 8;
constexpr int kPictureCursor = 9;
constexpr int kSubWindow = 10;
constexpr int kClickSound = 12;
}  // namespace setting

// Every comparison covers the whole line, letter case and blanks included.
constexpr char32_t kBlackSetting[] = U"黒";
constexpr char32_t kSubWindowOnSetting[] = U"Sub_Window=ON";

inline bool sub_window_on_setting(TextView line) { return line == kSubWindowOnSetting; }

inline bool sub_window_on(const ListStore& settings) {
  return sub_window_on_setting(settings.line(setting::kSubWindow));
}

}  // namespace tw
