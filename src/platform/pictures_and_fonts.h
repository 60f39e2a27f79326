#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "base/image.h"
#include "base/text.h"
#include "sound/sound_output.h"

namespace tw {

// Reads picture files: BMP first of all, PNG, JPEG and GIF too.
class Pictures {
 public:
  virtual ~Pictures() = default;
  // Throws Failure when the file is missing or is not a readable picture.
  virtual Image load(const std::filesystem::path& file) = 0;
  // Writes a PNG file; throws Failure when it cannot be written.
  virtual void save_png(const Image& image, const std::filesystem::path& file) = 0;
  // Reads `file` ahead of its showing, where that makes the showing quicker.
  // A file that cannot be read is left for its showing to report.
  virtual void prefetch(const std::filesystem::path& file) { static_cast<void>(file); }
};

// A font as a control names it: face name, size in points, bold.
struct FontSpec {
  Text face;  // "ＭＳ 明朝" (fixed-width Mincho) or "ＭＳ Ｐ明朝" (proportional)
  double points = 9.0;
  bool bold = false;

  bool operator==(const FontSpec&) const = default;
};

// Draws label texts.
class Fonts {
 public:
  virtual ~Fonts() = default;
  // The glyphs of one line of `text` at `pixels_per_inch`, or an empty
  // coverage for an empty text.
  virtual Coverage render(const FontSpec& font, TextView text, int pixels_per_inch) = 0;
};

// The libraries that read the game's pictures and sounds and draw its texts.
struct AssetLibraries {
  Pictures& pictures;
  Fonts& fonts;
  SoundFiles& sounds;
};

}  // namespace tw
