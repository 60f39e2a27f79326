#include "platform/headless/state_dump.h"

#include <cstdio>

#include "engine/form1.h"
#include "platform/headless/trace.h"
#include "player/player.h"

namespace tw {

namespace {

std::string colour_text(Colour colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", colour);
  return text;
}

void geometry(JsonObject& json, const Control& control) {
  json.field("Left", control.Left)
      .field("Top", control.Top)
      .field("Width", control.Width)
      .field("Height", control.Height)
      .field("Visible", control.Visible)
      .field("Enabled", control.Enabled);
}

std::string picture_box(const PictureBox& box) {
  JsonObject json;
  geometry(json, box);
  json.field("BackColor", colour_text(box.BackColor)).field("MousePointer", box.MousePointer);
  return json.str();
}

std::string label(const Label& label) {
  JsonObject json;
  geometry(json, label);
  json.field("Caption", label.Caption)
      .field("ForeColor", colour_text(label.ForeColor))
      .field("BackColor", colour_text(label.BackColor))
      .field("BackStyle", static_cast<int>(label.Back_Style))
      .field("MousePointer", label.MousePointer);
  return json.str();
}

std::string controls(const Form1& form) {
  JsonObject json;
  JsonObject window;
  geometry(window, form.form);
  window.field("BackColor", colour_text(kBlack)).field("MousePointer", form.form.MousePointer);
  json.raw("Form1", window.str());
  json.raw("image1", picture_box(form.image1));
  json.raw("waku", picture_box(form.waku));
  JsonObject message_window;
  geometry(message_window, form.Window);
  message_window.field("ForeColor", colour_text(form.Window.ForeColor))
      .field("BackColor", colour_text(form.Window.BackColor))
      .field("MousePointer", form.Window.MousePointer);
  json.raw("Window", message_window.str());
  for (const Label& message : form.Message) json.raw(to_utf8(message.name), label(message));
  for (const Label& flag : form.Flag_Label) json.raw(to_utf8(flag.name), label(flag));
  json.raw("Page_Label", label(form.Page_Label));
  json.raw("Type_Label", label(form.Type_Label));
  return json.str();
}

template <std::size_t N>
std::string numbers(const std::array<std::int16_t, N>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < N; ++i) out += (i ? "," : "") + std::to_string(values[i]);
  return out + "]";
}

std::string flags(const Form1& form) {
  JsonObject json;
  for (int i = 0; i < kFlagCount; ++i) {
    json.field(std::string(1, static_cast<char>('A' + i)), static_cast<int>(form.Flags[i]));
  }
  return json.str();
}

std::string timers(const Form1& form) {
  JsonObject json;
  for (int number = 1; number <= kTimerCount; ++number) {
    json.field(to_utf8(form.timer(number).name), form.timer(number).Interval);
  }
  return json.str();
}

std::string menu(const Form1& form) {
  JsonObject json;
  for (const MenuItem* item : form.menu_items()) {
    json.raw(to_utf8(item->name), JsonObject()
                                      .field("Checked", item->Checked)
                                      .field("Enabled", item->Enabled)
                                      .field("Visible", item->Visible)
                                      .str());
  }
  return json.str();
}

std::string lists(const Form1& form) {
  JsonObject json;
  for (const auto& [name, store] : form.list_stores())
    json.field(name, static_cast<long long>(store->count()));
  return json.str();
}

std::string player(const PlayerState& state) {
  return JsonObject()
      .field("skip", skip_mode_name(state.skip))
      .field("auto", state.auto_mode)
      .field("backlog", state.backlog)
      .field("window_hidden", state.window_hidden)
      .field("fullscreen", state.fullscreen)
      .field("volume", state.volume)
      .field("muted", state.muted)
      .str();
}

}  // namespace

std::string state_json(const Form1& form, const PlayerState& player_state) {
  JsonObject json;
  const std::pair<const char*, std::int16_t> numbers_by_name[] = {
      {"Line_No", form.Line_No},           {"Scene_No", form.Scene_No},
      {"Debug_Mode", form.Debug_Mode},     {"Choice_Wait", form.Choice_Wait},
      {"Choice_Hover", form.Choice_Hover}, {"Jump_Work", form.Jump_Work},
      {"Char_Pos", form.Char_Pos},         {"Wav_Request", form.Wav_Request},
      {"Text_Running", form.Text_Running}, {"Reveal_Line", form.Reveal_Line},
      {"Reveal_Char", form.Reveal_Char},   {"Sub_Width", form.Sub_Width},
      {"Sub_Height", form.Sub_Height},     {"Image_X", form.Image_X},
      {"Image_Y", form.Image_Y},           {"Image_Count", form.Image_Count},
      {"Image_Time", form.Image_Time},     {"Midi_Length", form.Midi_Length}};
  for (const auto& [name, value] : numbers_by_name) json.field(name, static_cast<int>(value));
  json.raw("Choice_Jump", numbers(form.Choice_Jump));
  json.raw("Flags", flags(form));
  json.field("Main_Image_Name", form.Main_Image_Name)
      .field("Sub_Image_Name", form.Sub_Image_Name)
      .field("Midi_Name", form.Midi_Name);
  json.raw("timers", timers(form));
  json.raw("menu", menu(form));
  json.raw("lists", lists(form));
  json.raw("player", player(player_state));
  json.raw("controls", controls(form));
  return json.str();
}

}  // namespace tw
