// Timed image runs: consecutive IMAGE records shown one after another, each
// for its number of 100 ms ticks, without the message window.
#include "base/number.h"
#include "engine/form1.h"
#include "present/image_entry.h"
#include "script/type_line.h"

namespace tw {

namespace {

constexpr char32_t kImageTimeMessage[] = U"シーンタイプIMAGEの時間が取得できませんでした。";
constexpr char32_t kImageRunMessage[] = U"シーンタイプIMAGEの処理中に原因不明のエラーが発生しました。";

}  // namespace

// IMAGE<30>: the time between the first "<" and the next ">".
std::int16_t Form1::Get_Image_Time() {
  with_message(kImageTimeMessage, [this] { Image_Time = image_time_of(GAME_List.line(Line_No)); });
  return Image_Time;
}

// When the current record's time has run out it is presented (again) and the
// next record becomes current; the run ends at the first record that is not
// an IMAGE record, which is not presented itself.
void Form1::Timer4_Timer() {
  with_message(kImageRunMessage, [this] {
    Image_Count = checked_int16(Image_Count + 1L);
    if (Image_Count < Image_Time) return;
    Image_Count = 0;
    Show_Scene();
    Line_No = checked_int16(Line_No + 1L);
    Show_Flags();
    if (kind_of(type_line()) == RecordKind::Image) {
      Get_Image_Time();
      return;
    }
    Timer4.set_interval(0, platform_.clock.now_ms());
    end_image_run();
  });
}

}  // namespace tw
