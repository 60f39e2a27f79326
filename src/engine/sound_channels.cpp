// The three sound channels: the music ("midi"), the record's sound effect
// ("wav") and the click of a step ("Click"), all driven by media command
// strings; and the two timers that blink the continue mark, repeat the music
// and start the delayed sound effect.
#include "base/number.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "script/type_line.h"
#include "sound/media_commands.h"

namespace tw {

namespace {

constexpr char32_t kWaveMessage[] = U"Waveの再生に失敗しました。";
constexpr std::size_t kReplyBufferLength = 512;
constexpr int kSoundEffectDelayMs = 1000;

}  // namespace

// Every command's reply lands in Mci_Return: the reply text and its NUL
// over the start of what the buffer held, the buffer always 512 characters.
unsigned Form1::send_media_command(TextView command) {
  const MediaReply result = platform_.media.send(command);
  Text buffer = result.reply.substr(0, kReplyBufferLength - 1);
  buffer += U'\0';
  buffer += Mci_Return.substr(std::min(buffer.size(), Mci_Return.size()));
  buffer.resize(kReplyBufferLength, U' ');
  Mci_Return = std::move(buffer);
  return result.code;
}

Text Form1::media_reply() const { return Mci_Return.substr(0, Mci_Return.find(U'\0')); }

// The path inside a command: the game folder as an absolute path, then the
// sound folder and the file name from the data.
Text Form1::sound_file_path(TextView folder, const Text& name) const {
  return from_utf8(platform_.game.spelled(Text(folder) + name));
}

void Form1::start_music(const Text& name) {
  send_media_command(U"close midi");
  send_media_command(open_music_command(sound_file_path(kMidiFolder, name)));
  send_media_command(U"play midi");
  if (send_media_command(U"status midi length") == 0) Midi_Length = to_int16(media_reply());
}

// A sound effect still waiting is dropped: the effect plays one second after
// the last presentation, with the record current then.
void Form1::schedule_sound_effect() {
  Timer2.set_interval(0, platform_.clock.now_ms());
  send_media_command(U"close wav");
  Wav_Request = -1;
  Timer2.set_interval(kSoundEffectDelayMs, platform_.clock.now_ms());
}

void Form1::start_sound_effect(const Text& name) {
  send_media_command(U"close wav");
  send_media_command(open_sound_command(sound_file_path(kWaveFolder, name), U"wav"));
  send_media_command(U"play wav");
}

void Form1::play_click_sound() {
  send_media_command(U"close wav");
  send_media_command(U"close Click");
  send_media_command(
      open_sound_command(sound_file_path(kWaveFolder, Main_List.line(setting::kClickSound)), U"Click"));
  send_media_command(U"play Click");
}

void Form1::shut_down_sound() {
  send_media_command(U"close midi");
  send_media_command(U"close wav");
  send_media_command(U"close Click");
}

void Form1::Timer1_Timer() {
  // The mark blinks, but does not come on while the text is being revealed
  // and never shows on a record of choices.
  Label& mark = Message[4];
  if (mark.Caption == kContinueMark) {
    mark.Caption.clear();
  } else if (Text_Running == 0) {
    mark.Caption = Text(kContinueMark);
  }
  if (kind_of(type_line()) == RecordKind::Command) mark.Caption.clear();

  // The device never tells when a song ends: the song starts again on the
  // first tick at or after its end, with the current record's music.
  if (send_media_command(U"status midi position") != 0) return;
  if (to_real(media_reply()) < double(Midi_Length)) return;
  start_music(Midi_List.line(Line_No));
}

void Form1::Timer2_Timer() {
  with_message(kWaveMessage, [this] {
    if (Wav_Request != -1) return;
    start_sound_effect(Wav_List.line(Line_No));
    Wav_Request = 0;
    Timer2.set_interval(0, platform_.clock.now_ms());
  });
}

void Form1::Form_Unload() { shut_down_sound(); }

}  // namespace tw
