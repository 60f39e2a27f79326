#pragma once

#include "platform/desktop/desktop_screen.h"
#include "platform/media.h"
#include "window/form1.h"

namespace tw {

// Creates the game window and runs its events, menu and timers on this one
// thread until the program ends (ProgramEnded).
void run_event_loop(Form1& form, DesktopScreen& screen, Fonts& fonts, const Clock& clock);

}  // namespace tw
