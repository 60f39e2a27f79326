// The picture of a game's flow: its DOT text for a small game holds the
// nodes, clusters and edges an author follows, and the drawn pictures are
// real SVG and PNG files.
#include "graph/graph.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

CheckedGame checked(const fs::path& root, bool debug_form = false) {
  return check_game_folder(root, debug_form, shared_assets());
}

// The statement of DOT text that starts with `head`: its attributes up to
// the closing "]".
std::string statement(const std::string& dot, const std::string& head) {
  for (std::size_t at = dot.find("\t" + head); at != std::string::npos; at = dot.find("\t" + head, at + 1)) {
    const char after = dot[at + 1 + head.size()];
    if (after == '\t' || after == ';') return dot.substr(at + 1, dot.find_first_of("];", at) - at);
  }
  return "";
}

// The DOT text without the line breaks Graphviz puts into long strings.
std::string unwrapped(std::string dot) {
  for (std::size_t at = dot.find("\\\n"); at != std::string::npos; at = dot.find("\\\n", at))
    dot.erase(at, 2);
  return dot;
}

TEST(Graph, DrawsRunsChoicesBranchesAndScenesWithTheCheckersFindings) {
  TestGame game;
  Record choice = record(U"COMMAND<3><5><0><0>");
  choice.lines = {U"灯台へ行く", U"家に帰る"};
  game.write_scene({record(U"NORMAL", U"夏休み、海辺の町へ"), record(U"FLAG<A=1>"), choice,
                    record(U"IF<A=1>......4>.......9>"), record(U"NEXT_FILE"), record(U"END"),
                    record(U"END")});
  game.write_lines("scene/scene2.gst", TestGame::scene_of({record(U"NORMAL"), record(U"END", U"おわり")}));
  const std::string dot = unwrapped(story_graph_dot(checked(game.root())));
  const std::pair<std::string, std::vector<std::string>> expected[] = {
      {"subgraph cluster_scene1 {", {}},
      {"subgraph cluster_scene2 {", {}},
      // Records that only flow on are one node, labelled with their text and type lines.
      {"scene1_0", {R"(label="records 0–2\n夏休み、海辺の町へ\nFLAG<A=1>\nCOMMAND<3><5><0><0>")"}},
      {"start -> scene1_0", {}},
      {"scene1_0 -> scene1_3", {R"(label="1 灯台へ行く")"}},
      {"scene1_0 -> scene1_5", {R"(label="2 家に帰る")"}},
      {"scene1_3 -> scene1_4", {R"(label="A=1")"}},
      // A branch past the last record: an error, drawn red, to a missing record.
      {"scene1_3 -> scene1_9_missing", {R"(label=else)", R"(color="#d00000")"}},
      {"scene1_3", {R"(color="#d00000")", "error: the second target leads to"}},
      {"scene1_4", {"NEXT_FILE", "peripheries=2"}},
      {"scene1_4 -> scene2_0", {"label=NEXT_FILE", "bold"}},
      {"scene2_0", {R"(label="records 0–1\nおわり\nEND")"}},
      // What no path reaches is grey.
      {"scene1_6", {R"(fillcolor="#e4e4e4")", "dashed"}},
  };
  for (const auto& [head, parts] : expected) {
    const std::string found = head.starts_with("subgraph") ? (dot.find(head) != std::string::npos ? head : "")
                                                           : statement(dot, head);
    EXPECT_FALSE(found.empty()) << head << "\n" << dot;
    for (const std::string& part : parts)
      EXPECT_NE(found.find(part), std::string::npos) << part << " in " << found;
  }
  EXPECT_EQ(statement(dot, "scene1_1"), "") << "record 1 belongs to the node of record 0";

  // In the debug form the start is the debug file's; a LOAD record leads to
  // the loaded game, and that to where each saved game resumes.
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"SAVE", U"NORMAL", U"LOAD"});
  game.write_lines("Debug.gst", {U"2"});
  const std::string debug = unwrapped(story_graph_dot(checked(game.root(), true)));
  EXPECT_NE(debug.find("the per-record files (debug form)"), std::string::npos) << debug;
  EXPECT_NE(statement(debug, "start -> scene1_2"), "") << debug;
  EXPECT_NE(statement(debug, "scene1_1").find("cylinder"), std::string::npos) << debug;
  EXPECT_NE(statement(debug, "scene1_3 -> loaded_game"), "") << debug;
  EXPECT_NE(statement(debug, "loaded_game -> scene1_1").find(R"(label="nothing saved, SAVE 1")"),
            std::string::npos)
      << debug;
}

TEST(Graph, WritesTheDemoAsSvgAndPngAndSaysWhatCannotBeDrawn) {
  TestGame out;
  const std::string demo = TALLOWIND_SOURCE_DIR "/games/demo";
  // Drawn by the program itself: Graphviz's layout and fonts keep
  // allocations to the end.
  for (const char* name : {"demo.svg", "demo.png"}) {
    const std::string command = "ASAN_OPTIONS=detect_leaks=0 '" TALLOWIND_BINARY "' --graph '" +
                                (out.root() / name).string() + "' '" + demo + "' >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  const std::string svg = read_bytes(out.root() / "demo.svg");
  EXPECT_NE(svg.find("<svg "), std::string::npos);
  EXPECT_NE(svg.find("岬の灯台へ"), std::string::npos) << "the choice's text, in UTF-8";
  EXPECT_TRUE(read_bytes(out.root() / "demo.png").starts_with("\x89PNG\r\n\x1a\n"));

  const auto run = [&](const fs::path& folder, const fs::path& file) {
    std::ostringstream said;
    const int status = run_graph(folder, false, file, shared_assets(), said, said);
    return std::pair{status, said.str()};
  };
  const auto [unwritable, why] = run(demo, out.root() / "no-folder" / "demo.dot");
  EXPECT_EQ(unwritable, 1);
  EXPECT_NE(why.find("cannot write the graph to"), std::string::npos) << why;
  const auto [unreadable, report] = run(out.root(), out.root() / "empty.dot");
  EXPECT_EQ(unreadable, 1);
  EXPECT_NE(report.find("scene/main.gst:0: error: file is missing"), std::string::npos) << report;
  EXPECT_FALSE(fs::exists(out.root() / "empty.dot"));
}

}  // namespace
}  // namespace tw::test
