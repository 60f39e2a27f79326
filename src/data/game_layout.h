#pragma once

// Where a game keeps its files. The engine names a file by its path inside
// the game folder, written as the games were written for Windows: a leading
// "\" for the game folder and "\" between the pieces; the game folder finds
// the real file whatever its letter case. A folder's name ends with "\" so
// that the name of a file in it follows directly.

#include "base/number.h"
#include "base/text.h"

namespace tw {

// The main pictures; a masked picture has its mask under the same name in
// the mask folder below.
constexpr char32_t kImageFolder[] = U"\\image\\";
constexpr char32_t kImageMaskFolder[] = U"\\image\\mask\\";
// The sub window's pictures, and their masks.
constexpr char32_t kSubImageFolder[] = U"\\image2\\";
constexpr char32_t kSubImageMaskFolder[] = U"\\image2\\mask\\";
// The message window's frame, the mouse pointers and the background tile.
constexpr char32_t kFrameImageFolder[] = U"\\image3\\";
// Music (MIDI) and sound effects (WAV).
constexpr char32_t kMidiFolder[] = U"\\midi\\";
constexpr char32_t kWaveFolder[] = U"\\wave\\";

// Normal mode plays the packed form: the settings and the scene files
// scene1.gst, scene2.gst, ... in the scene folder.
constexpr char32_t kSceneFolder[] = U"\\scene\\";
constexpr char32_t kSceneSettingsFile[] = U"\\scene\\main.gst";

// Debug mode plays the debug form: the settings in the game folder and one
// file per record field, one line per record (see debug_form_file), and
// starts as the debug file says.
constexpr char32_t kDebugSettingsFile[] = U"\\main.gst";
constexpr char32_t kTypeLinesFile[] = U"\\game.gst";
constexpr char32_t kImageLinesFile[] = U"\\image\\image.gst";
constexpr char32_t kSubImageLinesFile[] = U"\\image2\\image2.gst";
constexpr char32_t kWaveLinesFile[] = U"\\wave\\wave.gst";
constexpr char32_t kMidiLinesFile[] = U"\\midi\\midi.gst";
constexpr char32_t kMessageFolder[] = U"\\message\\";
constexpr char32_t kDebugFile[] = U"\\Debug.gst";

// A folder as a path of its own, without the closing "\".
constexpr TextView folder_path(TextView folder) { return folder.substr(0, folder.size() - 1); }

// The packed scene file of scene `number`: "\scene\scene1.gst", ...
inline Text scene_file_path(long number) {
  return kSceneFolder + (U"scene" + decimal_text(number) + U".gst");
}

}  // namespace tw
