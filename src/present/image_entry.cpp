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

Text image_file_of(TextView entry) {
  Text name;
  if (!entry.empty()) scan_to(entry, 1, U'<', &name);
  return name;
}

ImagePosition image_position_of(TextView entry) {
  if (entry.empty()) return {};
  Text x_text;
  Text y_text;
  std::int16_t pos = scan_to(entry, 1, U'<', nullptr);
  pos = scan_to(entry, next_position(pos), U',', &x_text);
  scan_to(entry, next_position(pos), U'>', &y_text);
  return {to_int16(x_text), to_int16(y_text)};
}

std::int16_t image_time_of(TextView line) {
  Text time;
  scan_to(line, next_position(scan_to(line, 1, U'<', nullptr)), U'>', &time);
  return to_int16(time);
}

// The name is everything before the first "<"; an entry without one fails,
// so a record names a picture only together with its position.
Text Form1::Get_Image_File() {
  Text name;
  with_message(kImageFileMessage, [&] {
    Image_File_Work.clear();
    Image_File_Work = image_file_of(image_list.line(Line_No));
    name = Image_File_Work;
  });
  return name;
}

// x runs from after the first "<" to the next ",", y from there to the next
// ">"; what follows the ">" is ignored.
void Form1::Get_Image_Pos() {
  with_message(kImagePosMessage, [this] {
    const ImagePosition position = image_position_of(image_list.line(Line_No));
    Image_X = position.x;
    Image_Y = position.y;
  });
}

}  // namespace tw
