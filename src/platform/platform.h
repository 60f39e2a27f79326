#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/game_folder.h"
#include "platform/pictures_and_fonts.h"
#include "platform/settings_store.h"
#include "sound/media_commands.h"

namespace tw {

// The screen as the window system reports it.
struct ScreenMetrics {
  long width_twips = 0;
  long height_twips = 0;
  int twips_per_pixel_x = 15;
  int twips_per_pixel_y = 15;
};

// The one game window on the screen.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual ScreenMetrics metrics() const = 0;
  // Makes the game window topmost, places it at 0, 0 with the given size in
  // pixels and shows it.
  virtual void set_window_pos_topmost(int width_px, int height_px) = 0;
};

// Time as the engine sees it: milliseconds since the window was created.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t now_ms() const = 0;
};

// How the program ended.
enum class EndReason { Failure, EndGame, Closed };

// Thrown by Dialogs::end_program and caught only by the event loop that runs
// the engine. It is not a std::exception on purpose: no procedure of the
// engine may take it for a failure of its own.
struct ProgramEnded {
  EndReason reason;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal box with an OK button; returns when the player has closed it.
  // `detail`, when not empty, says on a line of its own below the message
  // where the failure happened, for the game's author.
  virtual void show_message(TextView title, TextView message, TextView detail) = 0;
  // Ends the program at once: records how, then throws ProgramEnded.
  [[noreturn]] virtual void end_program(EndReason reason) = 0;
};

// An item of the popup menu, kept by the engine. The platform reads its
// caption and states whenever it shows the menu and hands the item taken
// back to the engine.
struct MenuItem {
  Text name;
  Text Caption;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
};

// A row of a popup menu: its item, and the items of the submenu it opens
// (none for a plain item). Hidden items are handed too: the platform leaves
// them out.
struct MenuRow {
  MenuItem* item = nullptr;
  std::vector<MenuItem*> submenu;
};

// The popup menu `GAME`. The engine hands its rows; the platform shows the
// menu at the mouse position and later delivers the item taken.
class PopupMenus {
 public:
  virtual ~PopupMenus() = default;
  virtual void open_popup(TextView menu_name, const std::vector<MenuRow>& rows) = 0;
};

// What the engine knows about how the program was started.
struct ProgramIdentity {
  Text name;  // the executable's file name without extension, as started
};

// Everything the engine uses of the machine, handed to the window object.
struct Platform {
  Screen& screen;
  Clock& clock;
  Dialogs& dialogs;
  PopupMenus& popups;
  MediaCommands& media;
  SettingsStore& settings;
  Pictures& pictures;
  Fonts& fonts;
  const GameFolder& game;
  ProgramIdentity program;
};

}  // namespace tw
