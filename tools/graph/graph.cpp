// The game's flow as a picture: the checker's reading of the game, its
// paths of play and its findings, laid out and drawn by Graphviz.
#include "graph/graph.h"

#include <cgraph.h>
#include <gvc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "base/failure.h"
#include "check/flow.h"
#include "script/next_record.h"
#include "script/type_line.h"

namespace tw {

namespace {

// IPA Mincho has the Japanese glyphs of the texts; fontconfig finds it.
constexpr char kFont[] = "IPAMincho";
constexpr std::size_t kTasteLength = 18;
constexpr std::size_t kChoiceLength = 14;
constexpr std::size_t kTypeLength = 28;
constexpr std::size_t kTestLength = 12;
constexpr std::size_t kFindingLength = 44;

enum class Way { Flow, Choice, Branch, NextScene, Load };

// One way on from a record: to `record` of `scene`, which may lie outside
// the scene when the record leads past its end.
struct Lead {
  Way way;
  std::size_t scene;
  long record;
  std::string label;
};

struct RecordFacts {
  std::vector<Lead> leads;
  int entries = 0;  // the leads into the record, and the start
  const Finding* error = nullptr;
  const Finding* warning = nullptr;
};

// A record, or a straight run of records that only flow on to the next.
struct Node {
  std::size_t scene;
  long first;
  long last;
};

// A line that does not read is one of the checker's findings already, and
// its record is drawn red with it: the picture shows what can be read.
template <class Read>
void when_readable(Read&& read) {
  try {
    read();
  } catch (const Failure&) {
  }
}

// Label text for Graphviz, where a backslash starts an escape.
std::string label_text(TextView text, std::size_t length) {
  std::string label;
  for (char c : to_utf8(one_line(text, length))) {
    label += c;
    if (c == '\\') label += c;
  }
  return label;
}

RecordKind kind_at(const SceneSource& scene, long record) {
  return kind_of(scene.field(record, RecordField::Type));
}

bool in_scene(const SceneSource& scene, long record) { return record >= 0 && record <= scene.last_record(); }

RecordField message_field(int slot) {
  return static_cast<RecordField>(static_cast<int>(RecordField::Message1) + slot);
}

std::vector<Lead> leads_of(const GameSource& game, std::size_t s, long record) {
  const SceneSource& scene = game.scenes[s];
  const Text& line = scene.field(record, RecordField::Type);
  const RecordLeads next = successors_of(scene, record);
  std::vector<Lead> leads;
  const auto lead = [&](Way way, std::size_t to_scene, long to, std::string label) {
    leads.push_back({way, to_scene, entered_record(to), std::move(label)});
  };
  switch (kind_of(line)) {
    case RecordKind::Command:
      when_readable([&] {
        for (const Choice& choice : offered_choices(line)) {
          const Text& text = scene.field(record, message_field(choice.slot));
          lead(Way::Choice, s, choice.target,
               std::to_string(choice.slot + 1) + (text.empty() ? "" : " " + label_text(text, kChoiceLength)));
        }
      });
      break;
    case RecordKind::If:
      when_readable([&] {
        const IfTargets targets = if_targets(line);
        const IfLine test = parse_if_line(line);
        const std::string holds =
            targets.tests_flag ? label_text(test.letter + test.op + test.value, kTestLength) : "always";
        if (targets.holds) lead(Way::Branch, s, *targets.holds, holds);
        if (targets.fails) lead(Way::Branch, s, *targets.fails, "else");
      });
      break;
    default:
      for (long to : next.records) lead(Way::Flow, s, to, "");
  }
  if (next.next_scene && s + 1 < game.scenes.size()) lead(Way::NextScene, s + 1, 0, "NEXT_FILE");
  // A load leads to the node of the loaded game, which leads on to every
  // place a load resumes at.
  if (next.loads_game) leads.push_back({Way::Load, 0, 0, ""});
  return leads;
}

// The scene a finding's record belongs to, by the file it names.
std::optional<std::size_t> scene_of(const GameSource& game, const Finding& finding) {
  if (!finding.place.record) return std::nullopt;
  for (std::size_t s = 0; s < game.scenes.size(); ++s) {
    if (game.debug_form || game.scenes[s].file == finding.place.file) return s;
  }
  return std::nullopt;
}

using Facts = std::vector<std::vector<RecordFacts>>;

Facts facts_of(const CheckedGame& game) {
  const GameSource& source = game.source;
  Facts facts;
  for (const SceneSource& scene : source.scenes) facts.emplace_back(scene.records.size());
  bool loads = false;
  const auto enter = [&](std::size_t s, long record) {
    if (s < facts.size() && in_scene(source.scenes[s], record))
      ++facts[s][static_cast<std::size_t>(record)].entries;
  };
  for (std::size_t s = 0; s < facts.size(); ++s) {
    for (long r = 0; r <= source.scenes[s].last_record(); ++r) {
      RecordFacts& record = facts[s][static_cast<std::size_t>(r)];
      record.leads = leads_of(source, s, r);
      for (const Lead& lead : record.leads) {
        if (lead.way == Way::Load) {
          loads = true;
        } else {
          enter(lead.scene, lead.record);
        }
      }
    }
  }
  enter(0, game.start);
  if (loads) {
    for (const Resume& resume : resume_points(source, game.start)) enter(resume.scene, resume.record);
  }
  for (const Finding& finding : game.report.findings()) {
    const std::optional<std::size_t> s = scene_of(source, finding);
    if (!s || !in_scene(source.scenes[*s], *finding.place.record)) continue;
    RecordFacts& record = facts[*s][static_cast<std::size_t>(*finding.place.record)];
    const Finding*& first = finding.severity == Severity::Error ? record.error : record.warning;
    if (!first) first = &finding;
  }
  return facts;
}

// Whether the record goes on the node of the record before it: that one
// only flows on to it, and nothing else leads to it.
bool continues_run(const CheckedGame& game, const Facts& facts, std::size_t s, long record) {
  if (record == 0) return false;
  const SceneSource& scene = game.source.scenes[s];
  const RecordFacts& before = facts[s][static_cast<std::size_t>(record - 1)];
  const RecordKind kind = kind_at(scene, record - 1);
  const auto& reached = game.reached[s];
  return (kind == RecordKind::Normal || kind == RecordKind::Image || kind == RecordKind::Flag) &&
         before.leads.size() == 1 && before.leads[0].way == Way::Flow && before.leads[0].record == record &&
         facts[s][static_cast<std::size_t>(record)].entries == 1 &&
         reached[static_cast<std::size_t>(record)] == reached[static_cast<std::size_t>(record - 1)];
}

std::string node_name(std::size_t scene, long record) {
  return "scene" + std::to_string(scene + 1) + "_" + std::to_string(record);
}

// The node's label: its records, a taste of its text, its type lines other
// than NORMAL (repeats counted) and the first error.
std::string node_label(const SceneSource& scene, const Node& node, const Finding* error) {
  std::string label = node.first == node.last
                          ? "record " + std::to_string(node.first)
                          : "records " + std::to_string(node.first) + "–" + std::to_string(node.last);
  for (long r = node.first; r <= node.last; ++r) {
    if (kind_at(scene, r) == RecordKind::Command) continue;  // its lines are the choices
    const Text& text = scene.field(r, RecordField::Message1);
    if (text.empty()) continue;
    label += "\\n" + label_text(text, kTasteLength);
    break;
  }
  for (long r = node.first; r <= node.last;) {
    const Text& line = scene.field(r, RecordField::Type);
    long same = r + 1;
    while (same <= node.last && scene.field(same, RecordField::Type) == line) ++same;
    if (kind_of(line) != RecordKind::Normal) {
      bool jump = false;  // a jump line that holds a number, not a misspelt keyword
      if (kind_of(line) == RecordKind::Jump) {
        when_readable([&] {
          static_cast<void>(jump_target(line));
          jump = true;
        });
      }
      label += "\\n" + label_text(line, kTypeLength) + (jump ? " (jump)" : "");
      if (same - r > 1) label += " ×" + std::to_string(same - r);
    }
    r = same;
  }
  if (error) label += "\\nerror: " + label_text(from_utf8(error->message), kFindingLength);
  return label;
}

using GraphPtr = std::unique_ptr<Agraph_t, decltype(&agclose)>;

// cgraph takes its names as char*, which it only reads.
void set(void* object, const std::string& name, const std::string& value) {
  std::string key = name;
  std::string text = value;
  std::string none;
  agsafeset(object, key.data(), text.data(), none.data());
}

void set_default(Agraph_t* graph, int kind, const std::string& name, const std::string& value) {
  std::string key = name;
  std::string text = value;
  agattr(graph, kind, key.data(), text.data());
}

Agraph_t* subgraph(Agraph_t* graph, const std::string& name) {
  std::string key = name;
  return agsubg(graph, key.data(), 1);
}

Agnode_t* node(Agraph_t* graph, const std::string& name) {
  std::string key = name;
  return agnode(graph, key.data(), 1);
}

void style_node(Agnode_t* shape, RecordKind kind, bool reached, const Finding* error,
                const Finding* warning) {
  std::string style = "rounded,filled";
  if (kind == RecordKind::Command) set(shape, "fillcolor", "#fff2bf");
  if (kind == RecordKind::If) set(shape, "fillcolor", "#d9e8fb");
  if (kind == RecordKind::Save || kind == RecordKind::Load) {
    set(shape, "shape", "cylinder");
    set(shape, "fillcolor", "#d8f2d8");
    style = "filled";
  }
  if (kind == RecordKind::NextFile || kind == RecordKind::End) set(shape, "peripheries", "2");
  if (!reached) {
    set(shape, "fillcolor", "#e4e4e4");
    set(shape, "color", "#a0a0a0");
    set(shape, "fontcolor", "#7a7a7a");
    style += ",dashed";
  }
  if (error) {
    set(shape, "fillcolor", "#ffdcdc");
    set(shape, "color", "#d00000");
    set(shape, "fontcolor", "#a00000");
    set(shape, "penwidth", "2.5");
  }
  set(shape, "style", style);
  if (const Finding* first = error ? error : warning) set(shape, "tooltip", finding_line(*first));
}

// How a way on is drawn: its line's colour, its label's colour and its
// style; a plain flow keeps Graphviz's black line.
struct EdgeLook {
  const char* colour = nullptr;
  const char* label_colour = nullptr;
  const char* style = nullptr;
};

EdgeLook look_of(Way way) {
  switch (way) {
    case Way::Choice:
      return {"#9a7400", "#6e5300"};
    case Way::Branch:
      return {"#2060b0", "#2060b0"};
    case Way::NextScene:
      return {"#2a7a2a", "#2a7a2a", "bold"};
    case Way::Load:
      return {"#2a7a2a", "#2a7a2a", "dashed"};
    case Way::Flow:
      break;
  }
  return {};
}

void style_edge(Agedge_t* edge, const Lead& lead, bool missing) {
  if (!lead.label.empty()) set(edge, "label", lead.label);
  const EdgeLook look = look_of(lead.way);
  if (look.colour) set(edge, "color", look.colour);
  if (look.label_colour) set(edge, "fontcolor", look.label_colour);
  if (look.style) set(edge, "style", look.style);
  if (missing) set(edge, "color", "#d00000");
}

// A record past the scene's end that a record leads to.
Agnode_t* missing_record(Agraph_t* cluster, const Lead& lead) {
  Agnode_t* missing = node(cluster, node_name(lead.scene, lead.record) + "_missing");
  set(missing, "shape", "plaintext");
  set(missing, "style", "");
  set(missing, "fontcolor", "#d00000");
  set(missing, "label", "no record " + std::to_string(lead.record));
  return missing;
}

GraphPtr build_graph(const CheckedGame& game) {
  std::string name = "story";
  GraphPtr graph(agopen(name.data(), Agdirected, nullptr), &agclose);
  Agraph_t* root = graph.get();
  for (int kind : {AGRAPH, AGNODE, AGEDGE}) set_default(root, kind, "fontname", kFont);
  set_default(root, AGRAPH, "label",
              label_text(from_utf8(check_summary(game)), Text::npos) +
                  "\\ngrey: no path of play reaches it; red: an error, as tallowind --check says");
  set_default(root, AGRAPH, "fontsize", "12");
  set_default(root, AGRAPH, "nodesep", "0.7");
  set_default(root, AGRAPH, "ranksep", "0.5");
  set_default(root, AGNODE, "shape", "box");
  set_default(root, AGNODE, "fontsize", "11");
  set_default(root, AGNODE, "fillcolor", "white");
  set_default(root, AGEDGE, "fontsize", "10");

  const GameSource& source = game.source;
  const Facts facts = facts_of(game);
  std::vector<Agraph_t*> clusters;
  std::vector<std::vector<Agnode_t*>> nodes(source.scenes.size());  // the node of each record
  std::vector<Node> runs;
  for (std::size_t s = 0; s < source.scenes.size(); ++s) {
    const SceneSource& scene = source.scenes[s];
    Agraph_t* cluster = subgraph(root, "cluster_scene" + std::to_string(s + 1));
    set(cluster, "label", source.debug_form ? "the per-record files (debug form)" : scene.file);
    set(cluster, "style", "rounded");
    set(cluster, "color", "#9a9a9a");
    clusters.push_back(cluster);
    for (long r = 0; r <= scene.last_record(); ++r) {
      if (continues_run(game, facts, s, r)) {
        runs.back().last = r;
      } else {
        runs.push_back({s, r, r});
      }
    }
  }
  for (const Node& run : runs) {
    const SceneSource& scene = source.scenes[run.scene];
    const Finding* error = nullptr;
    const Finding* warning = nullptr;
    for (long r = run.first; r <= run.last; ++r) {
      const RecordFacts& record = facts[run.scene][static_cast<std::size_t>(r)];
      if (!error) error = record.error;
      if (!warning) warning = record.warning;
    }
    Agnode_t* shape = node(clusters[run.scene], node_name(run.scene, run.first));
    set(shape, "label", node_label(scene, run, error));
    style_node(shape, kind_at(scene, run.last), game.reached[run.scene][static_cast<std::size_t>(run.first)],
               error, warning);
    nodes[run.scene].resize(scene.records.size(), nullptr);
    for (long r = run.first; r <= run.last; ++r) nodes[run.scene][static_cast<std::size_t>(r)] = shape;
  }

  if (!runs.empty() && in_scene(source.scenes[0], game.start)) {
    Agnode_t* start = node(root, "start");
    set(start, "shape", "plaintext");
    set(start, "style", "");
    set(start, "label", "start");
    agedge(root, start, nodes[0][static_cast<std::size_t>(game.start)], nullptr, 1);
  }
  // The loaded game: one node that every LOAD record leads to, with an edge
  // to each node where a load resumes, naming the saved games it resumes.
  const auto loaded_game = [&] {
    Agnode_t* hub = node(root, "loaded_game");
    set(hub, "shape", "cylinder");
    set(hub, "style", "filled");
    set(hub, "fillcolor", "#d8f2d8");
    set(hub, "label", "loading a\\nsaved game");
    std::vector<std::pair<Agnode_t*, std::vector<std::string>>> resumed;
    for (const Resume& resume : resume_points(source, game.start)) {
      if (!in_scene(source.scenes[resume.scene], resume.record)) continue;
      Agnode_t* to = nodes[resume.scene][static_cast<std::size_t>(resume.record)];
      const std::string saved =
          resume.saved_by ? "SAVE " + std::to_string(*resume.saved_by) : "nothing saved";
      auto same =
          std::find_if(resumed.begin(), resumed.end(), [&](const auto& edge) { return edge.first == to; });
      if (same == resumed.end()) same = resumed.insert(same, {to, {}});
      if (std::find(same->second.begin(), same->second.end(), saved) == same->second.end())
        same->second.push_back(saved);
    }
    for (const auto& [to, saved] : resumed) {
      std::string label;
      for (const std::string& one : saved) label += (label.empty() ? "" : ", ") + one;
      Agedge_t* edge = agedge(root, hub, to, nullptr, 1);
      style_edge(edge, {Way::Load, 0, 0, label}, false);
      set(edge, "constraint", "false");  // where play resumes stays where its story puts it
    }
    return hub;
  };
  Agnode_t* loaded = nullptr;
  for (const Node& run : runs) {
    Agnode_t* from = nodes[run.scene][static_cast<std::size_t>(run.last)];
    std::set<std::pair<Agnode_t*, std::string>> drawn;
    for (const Lead& lead : facts[run.scene][static_cast<std::size_t>(run.last)].leads) {
      if (lead.way == Way::Load) {
        if (!loaded) loaded = loaded_game();
        style_edge(agedge(root, from, loaded, nullptr, 1), lead, false);
        continue;
      }
      const bool missing = !in_scene(source.scenes[lead.scene], lead.record);
      Agnode_t* to = missing ? missing_record(clusters[lead.scene], lead)
                             : nodes[lead.scene][static_cast<std::size_t>(lead.record)];
      if (drawn.emplace(to, lead.label).second) style_edge(agedge(root, from, to, nullptr, 1), lead, missing);
    }
  }
  return graph;
}

}  // namespace

std::optional<GraphFormat> graph_format_for(const std::filesystem::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".dot") return GraphFormat::Dot;
  if (extension == ".svg") return GraphFormat::Svg;
  if (extension == ".png") return GraphFormat::Png;
  return std::nullopt;
}

std::string story_graph_dot(const CheckedGame& game) {
  const GraphPtr graph = build_graph(game);
  char* text = nullptr;
  std::size_t length = 0;
  FILE* memory = open_memstream(&text, &length);
  if (!memory) throw Failure("no memory for the graph's text");
  agwrite(graph.get(), memory);
  std::fclose(memory);
  std::string dot(text, length);
  std::free(text);  // NOLINT: open_memstream's buffer is the C library's
  return dot;
}

std::string draw_story_graph(const CheckedGame& game, GraphFormat format) {
  if (format == GraphFormat::Dot) return story_graph_dot(game);
  const GraphPtr graph = build_graph(game);
  agseterr(AGERR);  // Graphviz's warnings are not the author's concern
  // One context for the program's life: Graphviz's text layout keeps the
  // last font's name, owned by the context, from one drawing to the next,
  // so a freed context would leave it reading freed memory.
  static GVC_t* const context = gvContext();
  if (gvLayout(context, graph.get(), "dot") != 0) throw Failure("Graphviz could not lay out the graph");
  char* data = nullptr;
  unsigned int length = 0;
  const int rendered =
      gvRenderData(context, graph.get(), format == GraphFormat::Svg ? "svg" : "png", &data, &length);
  std::string bytes = rendered == 0 && data ? std::string(data, length) : std::string();
  gvFreeRenderData(data);
  gvFreeLayout(context, graph.get());
  if (rendered != 0 || bytes.empty()) throw Failure("Graphviz could not draw the graph");
  return bytes;
}

int run_graph(const std::filesystem::path& game_folder, bool debug_form, const std::filesystem::path& file,
              const AssetLibraries& assets, std::ostream& out, std::ostream& err) {
  const std::optional<GraphFormat> format = graph_format_for(file);
  if (!format) throw Failure("the graph is written as " + std::string(kGraphExtensions));
  const CheckedGame game = check_game_folder(game_folder, debug_form, assets);
  bool any_record = false;
  for (const SceneSource& scene : game.source.scenes) any_record |= !scene.records.empty();
  if (!any_record) {
    game.report.print(err);
    err << check_summary(game) << "\n"
        << "tallowind: " << game_folder.string()
        << ": no record of the game can be read, so nothing is drawn\n";
    return 1;
  }
  const std::string bytes = draw_story_graph(game, *format);
  std::ofstream output(file, std::ios::binary);
  output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  output.close();
  if (!output) {
    err << "tallowind: cannot write the graph to " << file.string() << "\n";
    return 1;
  }
  out << "wrote " << file.string() << " from " << check_summary(game) << "\n";
  return 0;
}

}  // namespace tw
