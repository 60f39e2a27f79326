#include "support/test_game.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>

#include "base/number.h"
#include "engine/compositor.h"
#include "platform/sdl/sdl_pictures.h"
#include "platform/sdl/sdl_sound_files.h"
#include "platform/sdl/ttf_fonts.h"

namespace tw::test {

namespace fs = std::filesystem;

Record record(std::u32string type, std::u32string line) {
  Record r{.type = std::move(type)};
  r.lines[0] = std::move(line);
  return r;
}

namespace {

std::atomic<int> folder_count{0};

void put_le(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

TestGame::TestGame() {
  root_ = fs::temp_directory_path() /
          ("tallowind-test-" + std::to_string(::getpid()) + "-" + std::to_string(folder_count++));
  fs::remove_all(root_);
  fs::create_directories(root_);
  // Saved games of the test go to a store of its own.
  data_home_ = root_.string() + "-data";
  fs::remove_all(data_home_);
  ::setenv("XDG_DATA_HOME", data_home_.c_str(), 1);
}

TestGame::~TestGame() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
  fs::remove_all(data_home_, ignored);
}

void TestGame::write_bytes(const std::string& relative, const std::string& bytes) {
  const fs::path file = root_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void TestGame::write_lines(const std::string& relative, const std::vector<std::u32string>& lines) {
  std::string bytes;
  for (const std::u32string& line : lines) bytes += encode_cp932(line) + "\r\n";
  write_bytes(relative, bytes);
}

void TestGame::write_bmp(const std::string& relative, const Image& image) {
  const int row_bytes = (image.width * 3 + 3) / 4 * 4;
  const auto data_size = static_cast<std::uint32_t>(row_bytes * image.height);
  std::string bmp = "BM";
  // File size, reserved, data offset, header size, width, height, planes and
  // bits, compression, data size, resolutions and the two colour counts.
  for (const std::uint32_t field :
       {54 + data_size, 0u, 54u, 40u, std::uint32_t(image.width), std::uint32_t(image.height), 1u | 24u << 16,
        0u, data_size, 2835u, 2835u, 0u, 0u})
    put_le(bmp, field, 4);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t row = bmp.size();
    for (int x = 0; x < image.width; ++x) put_le(bmp, image.at(x, y), 3);
    bmp.resize(row + static_cast<std::size_t>(row_bytes), '\0');
  }
  write_bytes(relative, bmp);
}

std::vector<std::u32string> TestGame::settings(
    std::initializer_list<std::pair<int, std::u32string>> changes) {
  std::vector<std::u32string> lines(13);
  lines[0] = U"テストゲーム";
  for (const auto& [line, text] : changes) lines.at(static_cast<std::size_t>(line)) = text;
  return lines;
}

std::vector<std::u32string> TestGame::scene_of(const std::vector<Record>& records) {
  std::vector<std::u32string> lines{decimal_text(static_cast<long long>(records.size()) - 1)};
  for (const Record& r : records) {
    const std::vector<std::u32string> fields{U"",        r.type,     r.image,    r.sub,      r.wav, r.midi,
                                             r.lines[0], r.lines[1], r.lines[2], r.lines[3], U""};
    lines.insert(lines.end(), fields.begin(), fields.end());
  }
  return lines;
}

void TestGame::write_scene(const std::vector<Record>& records,
                           std::initializer_list<std::pair<int, std::u32string>> changes) {
  write_lines("scene/main.gst", settings(changes));
  write_lines("scene/scene1.gst", scene_of(records));
}

void TestGame::write_debug_game(const std::vector<std::u32string>& settings_lines,
                                const std::vector<std::u32string>& type_lines) {
  write_lines("main.gst", settings_lines);
  write_lines("game.gst", type_lines);
  std::vector<std::u32string> empty(type_lines.size());
  for (int n = 1; n <= 4; ++n) write_lines("message/message" + std::to_string(n) + ".gst", empty);
  for (const char* file : {"image/image.gst", "image2/image2.gst", "wave/wave.gst", "midi/midi.gst"}) {
    write_lines(file, empty);
  }
}

std::string mci(long t, const std::string& command, int rc, const std::string& reply) {
  std::string escaped;
  for (char c : command) escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
  return "{\"t\":" + std::to_string(t) + ",\"mci\":\"" + escaped + "\",\"rc\":" + std::to_string(rc) +
         ",\"reply\":\"" + reply + "\"}\n";
}

bool shows_error(const std::string& trace, const std::u32string& message) {
  return trace.find(R"("error":")" + to_utf8(message)) != std::string::npos;
}

Image Engine::screen() { return compose_screen(session_.form(), shared_fonts()); }

Pictures& shared_pictures() {
  static SdlPictures pictures;
  return pictures;
}

Fonts& shared_fonts() {
  static TtfFonts fonts;
  return fonts;
}

AssetLibraries shared_assets() {
  static SdlSoundFiles sounds;
  return {shared_pictures(), shared_fonts(), sounds};
}

}  // namespace tw::test
