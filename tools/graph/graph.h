#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "check/check.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// What a picture of the game's flow is written as, chosen by the output
// file's extension.
enum class GraphFormat { Dot, Svg, Png };
std::optional<GraphFormat> graph_format_for(const std::filesystem::path& file);
inline constexpr char kGraphExtensions[] = ".svg, .png or .dot";

// The game's flow as the checker follows it, in DOT text: a node for each
// record or straight run of records, grouped by scene file, with an edge
// for each way on (choices labelled with their text, IF branches with
// their test, NEXT_FILE and loads marked). Records that no path reaches are
// grey, records with an error red.
std::string story_graph_dot(const CheckedGame& game);

// The same graph laid out and drawn by Graphviz in `format`. Failure when
// Graphviz cannot draw it.
std::string draw_story_graph(const CheckedGame& game, GraphFormat format);

// Checks the game, then writes its picture to `file`. Returns 0 when the
// picture is written; 1, with the reason on `err`, when the game has no
// record to draw or the file cannot be written.
int run_graph(const std::filesystem::path& game_folder, bool debug_form, const std::filesystem::path& file,
              const AssetLibraries& assets, std::ostream& out, std::ostream& err);

}  // namespace tw
