#pragma once

#include <functional>

#include "platform/desktop/desktop_screen.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

class Form1;
class Player;

// Creates the game window and runs its events, menu and timers on this one
// thread until the program ends (ProgramEnded), every input and tick handed
// through the player. `after_first_frame` runs once the first frame is on
// the screen.
void run_event_loop(Form1& form, Player& player, DesktopScreen& screen, Fonts& fonts, const Clock& clock,
                    const std::function<void()>& after_first_frame);

}  // namespace tw
