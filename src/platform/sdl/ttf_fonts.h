#pragma once

#include <filesystem>
#include <memory>

#include "platform/pictures_and_fonts.h"

namespace tw {

// The pixel height of a font's em: points at pixels_per_inch, rounded to the
// nearest pixel and kept within 1..max_font_pixels.
inline constexpr int kMaxFontPixels = 2048;
int font_pixels(double points, int pixels_per_inch);

// Label texts through SDL2_ttf, the faces found through fontconfig. "ＭＳ 明朝"
// becomes IPAMincho and "ＭＳ Ｐ明朝" IPAPMincho; other names are asked for
// in Japanese, and any face that can draw Japanese stands in for a missing
// one.
class TtfFonts : public Fonts {
 public:
  // The machine's fontconfig setup. Throws Failure when no installed face
  // can draw Japanese, rather than drawing empty boxes later.
  TtfFonts();
  // The fonts a given fontconfig file describes, e.g. a private font folder.
  explicit TtfFonts(const std::filesystem::path& fontconfig_file);
  ~TtfFonts() override;
  TtfFonts(const TtfFonts&) = delete;
  TtfFonts& operator=(const TtfFonts&) = delete;

  Coverage render(const FontSpec& font, TextView text, int pixels_per_inch) override;

  // The font file that draws `face`.
  std::filesystem::path face_file(TextView face);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tw
