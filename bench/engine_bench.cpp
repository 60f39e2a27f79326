// The engine's own costs where a player or an author waits: loading the
// largest scene (beside iconv decoding the same file), stepping through
// records that each draw a full picture with the message panel, and
// composing the screen.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "engine/compositor.h"
#include "platform/headless/session.h"
#include "platform/memory_reuse.h"
#include "platform/picture_cache.h"
#include "support/test_game.h"

namespace tw {

class Form1Probe {
 public:
  static void Read_Scene_File(Form1& form) { form.Read_Scene_File(); }
};

namespace bench {
namespace {

namespace fs = std::filesystem;

constexpr int kLargestScene = 32767;

// The largest scene a game may have: every record with a picture, music,
// a sound and two lines of Japanese text.
test::TestGame& largest_scene() {
  static const std::unique_ptr<test::TestGame> game = [] {
    auto made = std::make_unique<test::TestGame>();
    std::vector<test::Record> records(kLargestScene);
    for (int i = 0; i < kLargestScene; ++i) {
      test::Record& r = records[static_cast<std::size_t>(i)];
      r.type = i + 1 == kLargestScene ? U"END" : U"NORMAL";
      r.image = U"room.bmp<0,0>";
      r.midi = U"umi.mid";
      r.wav = U"nami.wav";
      r.lines = {U"「おかえりなさい。遅かったのね」と祖母は言った。",
                 U"灯台の明かりが、窓の外でゆっくりと回っている。", U"", U""};
    }
    made->write_lines("scene/main.gst", test::TestGame::settings({}));
    made->write_lines("scene/scene1.gst", test::TestGame::scene_of(records));
    // bench/run times iconv over the same file.
    if (const char* copy = std::getenv("TALLOWIND_BENCH_SCENE_COPY")) {
      fs::copy_file(made->root() / "scene/scene1.gst", copy, fs::copy_options::overwrite_existing);
    }
    return made;
  }();
  return *game;
}

std::string file_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void BM_ReadLargestScene(benchmark::State& state) {
  test::TestGame& game = largest_scene();
  const auto bytes = fs::file_size(game.root() / "scene/scene1.gst");
  for (auto _ : state) {
    state.PauseTiming();
    auto session = std::make_unique<test::Engine>(game);
    state.ResumeTiming();
    session->form().Scene_No = 1;
    Form1Probe::Read_Scene_File(session->form());
    benchmark::DoNotOptimize(session->form().GAME_List.count());
    state.PauseTiming();
    session.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadLargestScene)->Unit(benchmark::kMillisecond);

// What `iconv -f CP932 -t UTF-8` does with the file, without starting a process.
void BM_IconvLargestScene(benchmark::State& state) {
  const std::string in = file_bytes(largest_scene().root() / "scene/scene1.gst");
  std::string out(in.size() * 2, '\0');
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  for (auto _ : state) {
    char* from = const_cast<char*>(in.data());
    std::size_t from_left = in.size();
    char* to = out.data();
    std::size_t to_left = out.size();
    iconv(converter, &from, &from_left, &to, &to_left);
    benchmark::DoNotOptimize(to_left);
  }
  iconv_close(converter);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}
BENCHMARK(BM_IconvLargestScene)->Unit(benchmark::kMillisecond);

// Decoding a 640 x 480 BMP, what the first showing of a picture costs.
void BM_DecodePicture(benchmark::State& state) {
  const fs::path file = TALLOWIND_SOURCE_DIR "/games/demo/image/sea.bmp";
  for (auto _ : state) benchmark::DoNotOptimize(test::shared_pictures().load(file).pixels.data());
}
BENCHMARK(BM_DecodePicture)->Unit(benchmark::kMillisecond);

// A scene of records that each draw a full 640 x 480 picture (two taking
// turns, so each is really drawn) with the message panel and a sub picture.
struct PictureScene {
  test::TestGame game;
  PictureScene() {
    for (const char* picture : {"image/sea.bmp", "image/room.bmp", "image2/face1.bmp", "image3/waku.bmp"}) {
      fs::create_directories((game.root() / picture).parent_path());
      fs::copy_file(fs::path(TALLOWIND_SOURCE_DIR "/games/demo") / picture, game.root() / picture);
    }
    std::vector<test::Record> records(200);
    for (std::size_t i = 0; i < records.size(); ++i) {
      records[i].image = i % 2 ? U"sea.bmp<0,0>" : U"room.bmp<0,0>";
      records[i].sub = U"face1.bmp";
      records[i].lines = {U"波の音が、遠くから聞こえてくる。", U"", U"", U""};
    }
    records.back().type = U"-1";  // on to record 0
    game.write_lines("scene/main.gst", test::TestGame::settings({{3, U"waku.bmp"}, {10, U"Sub_Window=ON"}}));
    game.write_lines("scene/scene1.gst", test::TestGame::scene_of(records));
  }
};

// The engine as the player runs it: pictures through the picture cache.
struct PlayedScene {
  PictureScene scene;
  PictureCache pictures{test::shared_pictures()};
  std::ostringstream trace;
  HeadlessSession session{{1024, 768, scene.game.root(), U"tallowind"},
                          {pictures, test::shared_fonts(), test::shared_assets().sounds},
                          trace};

  PlayedScene() {
    session.start();
    session.run(WaitCommand{100});
    session.run(ClickCommand{MouseTarget{ControlId::image1, 0}, false, 0, 0, kLeftButton});
    session.run(WaitCommand{100});
  }
  // One step is a click that leaves the record and presents the next one,
  // then the first reveal tick, which shows the whole text.
  void step() {
    session.run(ClickCommand{MouseTarget{ControlId::Window, 0}, false, 0, 0, kLeftButton});
    session.run(WaitCommand{30});
  }
};

void BM_StepThroughPictures(benchmark::State& state) {
  PlayedScene played;
  for (auto _ : state) played.step();
  if (played.session.ended()) state.SkipWithError("the engine ended");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StepThroughPictures)->Unit(benchmark::kMicrosecond);

void BM_StepAndComposeScreen(benchmark::State& state) {
  PlayedScene played;
  for (auto _ : state) {
    played.step();
    benchmark::DoNotOptimize(compose_screen(played.session.form(), test::shared_fonts()).pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StepAndComposeScreen)->Unit(benchmark::kMicrosecond);

// Ctrl held: every frame of 16 ms passes a record and the screen is composed
// with the player's marks, as the window shows it. Records per second.
void BM_SkipThroughPictures(benchmark::State& state) {
  PlayedScene played;
  const Form1& form = played.session.form();
  played.session.run(KeyCommand{"Left Ctrl", {}, Press::Down});
  Image screen;
  std::int64_t records = 0;
  std::int16_t last = form.Line_No;
  for (auto _ : state) {
    played.session.run(WaitCommand{16});
    played.session.player().compose(test::shared_fonts(), screen);
    if (form.Line_No != last) ++records;
    last = form.Line_No;
  }
  if (played.session.ended() || played.session.player().state().skip != SkipMode::All) {
    state.SkipWithError("skipping stopped");
  }
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_SkipThroughPictures)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace tw

// The player's own allocation policy, so that the figures are the player's.
int main(int argc, char** argv) {
  tw::keep_freed_memory_for_reuse();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
