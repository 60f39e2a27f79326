#include "platform/headless/replay.h"

#include <fstream>
#include <sstream>

#include "base/failure.h"
#include "platform/headless/replay_script.h"
#include "platform/headless/session.h"

namespace tw {

namespace {

std::optional<std::string> read_whole_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

int play(const ReplayOptions& options, const std::vector<ReplayLine>& script, AssetLibraries assets,
         std::ostream& trace, std::ostream& errors) {
  HeadlessSession session(
      {options.screen_width, options.screen_height, options.game_folder, options.program_name}, assets,
      trace);
  try {
    session.start();
    for (const ReplayLine& line : script) session.run(line.action);
    session.finish_script();
  } catch (const Failure& failure) {
    // Only the replay's own work fails this way: a screenshot that cannot be
    // drawn or written. The engine reports its failures itself.
    errors << "tallowind: " << failure.what() << "\n";
    return 1;
  }
  if (const auto failure = session.failure()) {
    errors << "tallowind: play ended in a failure: " << *failure << "\n";
    if (options.strict) return 1;
  }
  return 0;
}

}  // namespace

int run_replay(const ReplayOptions& options, AssetLibraries assets, std::ostream& out, std::ostream& errors) {
  const auto script_text = read_whole_file(options.script);
  if (!script_text) {
    errors << "tallowind: cannot read the replay script " << options.script << "\n";
    return 2;
  }
  std::vector<ReplayLine> script;
  try {
    script = parse_replay_script(*script_text);
  } catch (const ScriptError& error) {
    errors << "tallowind: " << options.script.string() << ", " << error.message << "\n";
    return 2;
  }
  if (!options.trace) return play(options, script, assets, out, errors);

  std::ofstream trace_file(*options.trace, std::ios::binary | std::ios::trunc);
  if (!trace_file) {
    errors << "tallowind: cannot write the trace " << *options.trace << "\n";
    return 2;
  }
  return play(options, script, assets, trace_file, errors);
}

}  // namespace tw
