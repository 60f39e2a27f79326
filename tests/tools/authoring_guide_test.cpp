// The authors' guide, docs/authoring.md, and the example games it is made of:
// every block of a file's text in it is that file, every report it shows is
// what the program prints, and every example game checks clean, packs into
// the packed files it ships and plays to its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "pack/pack.h"
#include "platform/headless/replay.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

const fs::path kDocs = fs::path(TALLOWIND_SOURCE_DIR) / "docs";

// A file's lines as a reader sees them: a .gst file by the engine's line
// rule, decoded from CP932; any other file as UTF-8 lines.
std::vector<std::string> lines_of(const fs::path& file) {
  const std::string bytes = read_bytes(file);
  std::vector<std::string> lines;
  if (file.extension() == ".gst") {
    for (const Text& line : read_text_lines(bytes)) lines.push_back(to_utf8(line));
  } else {
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  return lines;
}

// What `command` prints, run in docs/ as the guide's commands are.
std::string output_of(const std::string& command) {
  FILE* pipe = ::popen(("cd '" + kDocs.string() + "' && " + command + " 2>&1").c_str(), "r");
  std::string said;
  if (!pipe) return said;
  for (int c; (c = std::fgetc(pipe)) != EOF;) said += static_cast<char>(c);
  ::pclose(pipe);
  return said;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A marker "<!-- KIND: REST -->" before a block: REST when KIND matches.
std::optional<std::string> marked(const std::string& marker, const std::string& kind) {
  const std::string open = "<!-- " + kind + ": ", close = " -->";
  if (!marker.starts_with(open) || !marker.ends_with(close)) return std::nullopt;
  return marker.substr(open.size(), marker.size() - open.size() - close.size());
}

// An example's file and, when it names them, its lines "N" or "N-M" (from 1).
struct Example {
  std::string file;
  std::size_t first = 0, last = 0;
};
Example example_of(const std::string& rest) {
  std::istringstream words(rest);
  Example example;
  std::string lines, range;
  words >> example.file >> lines >> range;
  if (lines == "line" || lines == "lines") {
    const std::size_t dash = range.find('-');
    example.first = std::stoul(range.substr(0, dash));
    example.last = dash == std::string::npos ? example.first : std::stoul(range.substr(dash + 1));
  }
  return example;
}

TEST(AuthoringGuide, ShowsEveryFileAndReportAsItIsAndNothingUnmarked) {
  const TestGame links;  // a program named DEBUG, for the debug form
  fs::create_symlink(TALLOWIND_BINARY, links.root() / "DEBUG");
  const std::vector<std::string> guide = lines_of(kDocs / "authoring.md");
  int examples = 0, outputs = 0;
  std::string marker;
  for (std::size_t i = 0; i < guide.size(); ++i) {
    if (guide[i].starts_with("<!--")) marker = guide[i];
    if (!guide[i].starts_with("```")) {
      if (!guide[i].empty() && !guide[i].starts_with("<!--")) marker.clear();
      continue;
    }
    const std::string info = guide[i].substr(3);
    std::vector<std::string> block;
    const std::size_t start = i + 1;
    while (++i < guide.size() && !guide[i].starts_with("```")) block.push_back(guide[i]);
    const std::string where = "the block at line " + std::to_string(start) + " of docs/authoring.md";
    if (const auto rest = marked(marker, "example")) {
      ++examples;
      const Example example = example_of(*rest);
      const fs::path file = kDocs / example.file;
      if (!fs::is_regular_file(file)) {
        ADD_FAILURE() << where << " names " << file << ", which does not exist";
        continue;
      }
      std::vector<std::string> shown = lines_of(file);
      if (example.first > 0) {
        ASSERT_TRUE(example.first <= example.last && example.last <= shown.size())
            << where << ": lines out of the file";
        shown = std::vector<std::string>(shown.begin() + static_cast<long>(example.first) - 1,
                                         shown.begin() + static_cast<long>(example.last));
      }
      EXPECT_EQ(joined(block), joined(shown)) << where << " differs from " << example.file;
    } else if (const auto command = marked(marker, "output")) {
      ++outputs;
      const std::string name = command->substr(0, command->find(' '));
      ASSERT_TRUE(name == "DEBUG" || name == "tallowind") << where << ": run as DEBUG or tallowind";
      const fs::path program = name == "DEBUG" ? links.root() / "DEBUG" : fs::path(TALLOWIND_BINARY);
      EXPECT_EQ(joined(block), output_of("'" + program.string() + "'" + command->substr(name.size())))
          << where;
    } else {
      EXPECT_EQ(info, "sh") << where << " has no example or output marker before it";
    }
    marker.clear();
  }
  EXPECT_GE(examples, 20);
  EXPECT_GE(outputs, 3);
}

struct ExampleGame {
  const char* folder;
  bool packed;  // has the packed form, from the per-record files of its last scene
  int last_scene;
  const char* program_name;  // that plays its replay
  std::vector<const char*> facts;
};

TEST(AuthoringGuide, ExampleGamesCheckCleanPackAsShippedAndPlayToTheirEnd) {
  const ExampleGame games[] = {{"first-game", false, 1, "DEBUG", {R"("state":{"Line_No":3,"Scene_No":1,)"}},
                               {"two-scenes",
                                true,
                                2,
                                "tallowind",
                                {R"("state":{"Line_No":7,"Scene_No":2,)", R"("Flags":{"A":1,)",
                                 R"("state":{"Line_No":6,"Scene_No":2,)", "nami.wav\\\"", "yoru.mid\\\""}}};
  for (const ExampleGame& example : games) {
    const fs::path root = kDocs / "examples" / example.folder;
    for (const bool debug_form : {true, false}) {
      if (!debug_form && !example.packed) continue;
      const auto [status, report] = check_game(root, debug_form);
      EXPECT_EQ(status, 0) << example.folder << report;
      EXPECT_TRUE(report.ends_with("no problems found\n")) << example.folder << report;
    }
    // The per-record files pack into what the folder ships, or, for a game
    // that ships none, into a packed game that checks as clean.
    const TestGame copy;
    fs::copy(root, copy.root(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::ostringstream said;
    ASSERT_EQ(run_pack({copy.root(), example.last_scene, true}, said, said), 0) << said.str();
    const std::string scene = "scene/scene" + std::to_string(example.last_scene) + ".gst";
    if (example.packed) {
      for (const std::string& file : {std::string("scene/main.gst"), scene})
        EXPECT_EQ(read_bytes(copy.root() / file), read_bytes(root / file)) << example.folder << " " << file;
    } else {
      EXPECT_EQ(check_game(copy.root()).first, 0) << example.folder;
    }
    std::ostringstream trace, errors;
    const int status =
        run_replay({root / "play.replay", {}, 1024, 768, root, from_utf8(example.program_name), true},
                   shared_assets(), trace, errors);
    EXPECT_EQ(status, 0) << example.folder << errors.str();
    for (const char* fact : example.facts)
      EXPECT_NE(trace.str().find(fact), std::string::npos) << example.folder << ": " << fact;
  }
}

}  // namespace
}  // namespace tw::test
