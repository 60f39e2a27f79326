#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "data/list_store.h"
#include "data/scene_file.h"
#include "engine/controls.h"
#include "platform/platform.h"

namespace tw {

// The mouse buttons as the window system numbers them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// Which control an input event reaches.
enum class ControlId { image1, waku, Window, Message };

constexpr int kMessageLabels = 5;  // Message(0)..Message(3) and the "▼" label
constexpr int kMessageLines = 4;
constexpr int kFlagCount = 26;
constexpr int kShownFlags = 5;  // flags A to E on the debug monitor
constexpr int kTimerCount = 4;

// The game window: every control, list store, timer and engine-state
// variable, and the procedures that work on them. Procedures are defined in
// the source file of their subsystem; they run one at a time on the one
// thread, started by the event entry points at the end of this class.
class Form1 {
 public:
  explicit Form1(Platform& platform);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // ---- Controls, in creation order --------------------------------------
  Control form;  // the window itself (name "Form1")
  Pixel form_background = 0;
  Image form_surface;  // the window's own surface: its colour and the tiles

  Timer Timer4{U"Timer4"};
  PictureBox Picture2;
  Timer Timer3{U"Timer3"};
  Timer Timer2{U"Timer2"};
  ListStore sub_Image_List;
  Timer Timer1{U"Timer1"};
  ListStore GAME_List;
  ListStore Main_List;
  ListStore Midi_List;
  ListStore Wav_List;
  std::array<ListStore, kMessageLines> Message_List;
  PictureBox waku;
  PictureBox Window;                          // inside waku
  std::array<Label, kMessageLabels> Message;  // inside Window
  ListStore image_list;
  PictureBox Picture1;
  PictureBox image1;
  PictureBox Mask2;
  PictureBox Mask1;
  Label Page_Label;
  Label Type_Label;
  std::array<Label, kShownFlags> Flag_Label;
  ImageBox back_image;

  // ---- The popup menu GAME ------------------------------------------------
  MenuItem Text_mode;
  MenuItem Message_Mode_standard;
  MenuItem Message_Mode;
  MenuItem RESTART;
  MenuItem Load;
  MenuItem save;
  MenuItem END_GAME;

  // ---- Engine state, 16-bit where the engine counts ---------------------
  std::int16_t Line_No = 0;
  std::int16_t Choice_Wait = 0;
  std::int16_t Choice_Hover = 0;
  std::array<std::int16_t, 5> Choice_Jump{};
  std::int16_t Jump_Work = 0;
  std::int16_t Char_Pos = 0;
  std::int16_t Wav_Request = 0;
  std::int16_t Text_Running = 0;
  std::int16_t Reveal_Line = 0;
  std::int16_t Reveal_Char = 0;
  std::array<std::int16_t, kFlagCount> Flags{};
  std::int16_t Sub_Width = 0;
  std::int16_t Sub_Height = 0;
  std::int16_t Debug_Mode = 0;
  Text Main_Image_Name;
  Text Sub_Image_Name;
  std::int16_t Scene_No = 0;
  std::int16_t Image_X = 0;
  std::int16_t Image_Y = 0;
  Text Image_File_Work;
  std::int16_t Image_Count = 0;
  std::int16_t Image_Time = 0;
  Text Mci_Return;
  std::int16_t Midi_Length = 0;
  Text Midi_Name;

  // Counts the plays begun anew by a load or a return to the title, so that
  // the player's history can tell the pages of this play from earlier ones.
  std::uint32_t plays_begun = 0;

  // ---- Public procedures -------------------------------------------------
  void Set_Flag_Valu(std::int16_t& Flag, const Text& Valu, const Text& enzansi);
  // The chosen target, or nothing for a letter or operator that is none.
  std::optional<Text> If_Flag();
  std::optional<Text> Flag_Check(std::int16_t& Flag, const Text& Flag_Valu, const Text& jump_Valu,
                                 const Text& jump_Valu2, const Text& enzansi);
  Text Get_Image_File();
  std::int16_t Get_Image_Time();

  // ---- Event entry points ------------------------------------------------
  // Creates the window: the load step, then the first presentation.
  void create();
  // The timer due next, if any runs: ties go to the lower timer number.
  std::optional<int> next_timer() const;
  Timer& timer(int number);  // 1..4
  const Timer& timer(int number) const;
  // Runs one tick of timer `number` at its due time.
  void run_timer(int number);
  void mouse_down(ControlId control, int index, int button);
  void mouse_move(ControlId control, int index);
  // Takes a popup menu item; the item must be visible and enabled.
  void menu_click(MenuItem& item);
  // The player closes the window.
  void close();
  // Debug mode's edit-and-see: reads the game's files again and shows the
  // record on screen anew with the flags it has. Returns false, having done
  // nothing, in normal mode.
  bool reload();
  // The files whose content the record on screen shows, as the engine names
  // them: in debug mode the data files and the pictures and sounds the
  // record names; nothing in normal mode.
  std::vector<Text> files_on_screen() const;
  // Reads the main picture of the record the next step presents, so that
  // the step need not wait for its decoding. Never fails: what cannot be
  // read is reported when it is shown.
  void prefetch_pictures_ahead();

  // ---- Lists for the state dump and the screen --------------------------
  std::array<const MenuItem*, 7> menu_items() const;
  std::array<std::pair<const char*, const ListStore*>, 10> list_stores() const;

  Platform& platform() { return platform_; }
  const Platform& platform() const { return platform_; }

 private:
  // Tests run procedures that no event of theirs reaches yet.
  friend class Form1Probe;

  // Creation, load step and game data.
  void Form_Initialize();
  void Form_Load();
  void Init_Game();
  void Read_Game_Files();
  void Read_Scene_File();
  void Read_Debug_File();
  void Show_Flags();
  // The script.
  void Next_Step();
  const Text& type_line() const;
  bool leave_record();
  bool take_choice();
  void arrive_at_record();
  void read_files_again();
  void end_scene();
  void run_image_records();
  void end_image_run();
  void Timer3_Timer();
  void show_whole_message();
  void read_choice_targets();
  void Message_MouseMove(int Index);
  void set_plain_label_colours();
  void Flag_Command();
  void Window_MouseDown(int Button);
  void Message_MouseDown(int Index, int Button);
  void image1_MouseDown(int Button);
  void open_game_menu();
  // Presentation.
  void Show_Scene();
  void Get_Image_Pos();
  void Timer4_Timer();
  void Draw_Main_Image();
  void Window_Paint();
  void Draw_Sub_Image();
  bool image_entries_changed();
  void load_work_picture(PictureBox& box, TextView engine_path);
  std::optional<long> record_ahead() const;
  void prefetch_picture(TextView engine_path);
  // Saved games and the menu.
  void save_Click();
  void Load_Click();
  Text read_saved(TextView key, TextView fallback);
  void Clear_Scene_Data();
  void Next_Scene_File();
  void RESTART_Click();
  void END_GAME_Click();
  void Message_Mode_standard_Click();
  void Message_Mode_Click();
  // Sound.
  void Timer1_Timer();
  void Timer2_Timer();
  void Form_Unload();
  unsigned send_media_command(TextView command);
  Text media_reply() const;
  Text sound_file_path(TextView folder, const Text& name) const;
  void start_music(const Text& name);
  void schedule_sound_effect();
  void start_sound_effect(const Text& name);
  void play_click_sound();
  void shut_down_sound();

  // Start-up helpers.
  void lay_out_window();
  void colour_window();
  void set_cursors();
  void paint_background_tiles();
  Image load_picture(TextView engine_path);
  void read_into(ListStore& store, TextView engine_path);
  ListStore& record_store(RecordField field);
  void fit_surfaces();

  // The failure pattern. A procedure with a message of its own runs its
  // steps through with_message: a failure hides the window, shows the box
  // titled "エラーの発生" and ends the program. Event procedures without a
  // message run through as_event, which ends the program with the generic
  // report instead.
  template <class Steps>
  void with_message(TextView message, Steps&& steps);
  template <class Steps>
  void as_event(Steps&& steps);
  [[noreturn]] void fail_with(TextView title, TextView message, TextView detail);
  Text failure_detail(std::string_view cause) const;

  Platform& platform_;
  // True while the step of a load runs: a load started inside it could
  // only step into the same LOAD record again.
  bool load_stepping_ = false;
};

// The system colour that a colour line of the settings chooses: exactly "黒"
// chooses the button text colour (black), anything else, a blank after it
// too, the highlight text colour (white).
Colour system_colour_for(const Text& setting);

// The message frame as the window lays it out, in pixels: widened by the
// sub image area while the sub window is on. A frame picture shows only
// as much of itself.
inline constexpr int kFrameWidth = 480;
inline constexpr int kFrameHeight = 150;
struct FrameSize {
  int width = 0;
  int height = 0;
};
FrameSize message_frame_size(bool sub_window);

// The labels of the four message lines, Message(0) to Message(3), as the
// window lays them out: one font and one width, in twips, for all four, in
// every kind of record. The sub window moves them right but keeps their
// width, and nothing in play changes either.
struct MessageLineLabels {
  FontSpec font;
  double width = 0;
};
MessageLineLabels message_line_labels();

inline constexpr char32_t kErrorTitle[] = U"エラーの発生";
// The continue mark of Message(4). Assign it as Text(kContinueMark): g++ 12
// falsely warns of overlapping copies when a caption is assigned the array.
inline constexpr char32_t kContinueMark[] = U"▼";

template <class Steps>
void Form1::with_message(TextView message, Steps&& steps) {
  try {
    steps();
  } catch (const std::exception& failure) {
    fail_with(kErrorTitle, message, failure_detail(failure.what()));
  }
}

}  // namespace tw
