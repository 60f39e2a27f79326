// The image entries of scene records: the file name and the position of the
// main image entry.
#include "present/image_entry.h"

#include "data/number.h"
#include "data/scan.h"
#include "window/form1.h"

namespace tw {

namespace {

constexpr char32_t kMaskedPrefix[] = U"SP_";
constexpr char32_t kImageFileMessage[] = U"イメージファイル名の取得に失敗しました。";
constexpr char32_t kImagePosMessage[] = U"イメージファイルの表示位置取得に失敗しました。";

}  // namespace

bool is_masked_entry(TextView entry) { return entry.starts_with(kMaskedPrefix); }

// The name is everything before the first "<"; an entry without one fails,
// so a record names a picture only together with its position.
Text Form1::Get_Image_File() {
  Text name;
  with_message(kImageFileMessage, [&] {
    Image_File_Work.clear();
    const Text& entry = image_list.line(Line_No);
    if (entry.empty()) return;
    scan_to(entry, 1, U'<', &Image_File_Work);
    name = Image_File_Work;
  });
  return name;
}

// x runs from after the first "<" to the next ",", y from there to the next
// ">"; what follows the ">" is ignored.
void Form1::Get_Image_Pos() {
  with_message(kImagePosMessage, [this] {
    Text x_text;
    Text y_text;
    const Text& entry = image_list.line(Line_No);
    if (entry.empty()) {
      Image_X = 0;
      Image_Y = 0;
      return;
    }
    std::int16_t pos = scan_to(entry, 1, U'<', nullptr);
    pos = scan_to(entry, next_position(pos), U',', &x_text);
    scan_to(entry, next_position(pos), U'>', &y_text);
    Image_X = to_int16(x_text);
    Image_Y = to_int16(y_text);
  });
}

}  // namespace tw
