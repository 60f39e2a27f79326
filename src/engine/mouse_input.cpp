// The mouse: the left or middle button on the message window steps the
// script, the right button opens the menu, and at the title the main picture
// starts the game.
#include "engine/form1.h"

namespace tw {

namespace {

constexpr char32_t kMenuName[] = U"GAME";

}  // namespace

void Form1::Window_MouseDown(int Button) {
  if (Button == kRightButton) {
    platform_.popups.open_popup(kMenuName);
    return;
  }
  Next_Step();
  Show_Flags();
}

void Form1::Message_MouseDown(int Index, int Button) {
  (void)Index;  // any label steps, also one that is not a choice
  Window_MouseDown(Button);
}

void Form1::image1_MouseDown(int Button) {
  if (Button == kLeftButton && Line_No == 0) {
    waku.Visible = true;
    Next_Step();
    Show_Flags();
    RESTART.Enabled = true;
  }
  if (Button == kRightButton) platform_.popups.open_popup(kMenuName);
}

}  // namespace tw
