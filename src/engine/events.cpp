// The entry points through which the platform's event loop drives the
// window, and the failure pattern that ends the program.
#include "base/failure.h"
#include "base/number.h"
#include "engine/form1.h"

namespace tw {

namespace {

constexpr char32_t kGenericTitle[] = U"Tallowind";
constexpr char32_t kGenericMessage[] = U"予期しないエラーが発生したため、ゲームを終了します。";

}  // namespace

void Form1::fail_with(TextView title, TextView message, TextView detail) {
  form.Visible = false;
  platform_.dialogs.show_message(title, message, detail);
  platform_.dialogs.end_program(EndReason::Failure);
  // Every platform ends the program above; should one ever return, the
  // failed procedure still must not go on.
  throw ProgramEnded{EndReason::Failure};
}

// Event procedures have no message of their own: a failure that reaches one
// ends the program through the generic report, which names the cause so
// that a game's author can find it.
template <class Steps>
void Form1::as_event(Steps&& steps) {
  try {
    steps();
  } catch (const std::exception& failure) {
    fail_with(kGenericTitle, Text(kGenericMessage) + U"\n" + from_utf8(failure.what()), failure_detail({}));
  }
}

// What an author needs to find the cause: what failed (a file missing or
// unreadable names itself), and where play was, the scene file and record
// with the type line read there. One line, cut where it would run long.
Text Form1::failure_detail(std::string_view cause) const {
  constexpr std::size_t kCauseLength = 200;
  constexpr std::size_t kQuoteLength = 60;
  Text detail = one_line(from_utf8(cause), kCauseLength);
  if (GAME_List.count() == 0 || Line_No < 0) return detail;
  Text where = Debug_Mode != 0 ? Text(U"デバッグ") : U"シーン " + decimal_text(Scene_No);
  where += U"、レコード " + decimal_text(Line_No);
  if (const Text& line = GAME_List.line(Line_No); !line.empty())
    where += U"「" + one_line(line, kQuoteLength) + U"」";
  return detail.empty() ? where : detail + U"（" + where + U"）";
}

void Form1::create() {
  as_event([this] { Form_Initialize(); });
}

Timer& Form1::timer(int number) { return const_cast<Timer&>(static_cast<const Form1&>(*this).timer(number)); }

const Timer& Form1::timer(int number) const {
  switch (number) {
    case 1:
      return Timer1;
    case 2:
      return Timer2;
    case 3:
      return Timer3;
    default:
      return Timer4;
  }
}

std::optional<int> Form1::next_timer() const {
  std::optional<int> next;
  for (int number = 1; number <= kTimerCount; ++number) {
    const Timer& candidate = timer(number);
    if (candidate.Interval <= 0) continue;
    if (!next || candidate.due < timer(*next).due) next = number;
  }
  return next;
}

void Form1::run_timer(int number) {
  Timer& ticking = timer(number);
  // The next tick is one interval after this one, unless the tick procedure
  // sets the interval itself.
  ticking.due += ticking.Interval;
  as_event([this, number] {
    switch (number) {
      case 1:
        Timer1_Timer();
        break;
      case 2:
        Timer2_Timer();
        break;
      case 3:
        Timer3_Timer();
        break;
      default:
        Timer4_Timer();
        break;
    }
  });
}

void Form1::mouse_down(ControlId control, int index, int button) {
  as_event([=, this] {
    switch (control) {
      case ControlId::image1:
        image1_MouseDown(button);
        break;
      case ControlId::Window:
        Window_MouseDown(button);
        break;
      case ControlId::Message:
        Message_MouseDown(index, button);
        break;
      case ControlId::waku:
        break;  // the frame takes no mouse events
    }
  });
}

void Form1::mouse_move(ControlId control, int index) {
  if (control == ControlId::Message) as_event([=, this] { Message_MouseMove(index); });
}

void Form1::menu_click(MenuItem& item) {
  as_event([&] {
    if (&item == &Message_Mode_standard) Message_Mode_standard_Click();
    if (&item == &Message_Mode) Message_Mode_Click();
    if (&item == &RESTART) RESTART_Click();
    if (&item == &Load) Load_Click();
    if (&item == &save) save_Click();
    if (&item == &END_GAME) END_GAME_Click();
  });
}

bool Form1::reload() {
  if (Debug_Mode == 0) return false;
  as_event([this] { read_files_again(); });
  return true;
}

void Form1::close() {
  as_event([this] { Form_Unload(); });
  platform_.dialogs.end_program(EndReason::Closed);
}

}  // namespace tw
