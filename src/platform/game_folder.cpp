#include "platform/game_folder.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "base/failure.h"

namespace fs = std::filesystem;

namespace tw {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

// The UTF-8 C locale for case mapping, created once; glibc's wide case
// tables cover all of Unicode, not only ASCII.
class CaseLocale {
 public:
  CaseLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {}
  ~CaseLocale() {
    if (locale_ != locale_t{}) freelocale(locale_);
  }
  CaseLocale(const CaseLocale&) = delete;
  CaseLocale& operator=(const CaseLocale&) = delete;

  // Lowering the upper case also joins forms like "ſ" and "s", "ς" and "σ".
  // Without the locale only ASCII letters fold, which covers most games.
  char32_t fold(char32_t c) const {
    if (locale_ == locale_t{}) return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
    return static_cast<char32_t>(towlower_l(towupper_l(static_cast<wint_t>(c), locale_), locale_));
  }

 private:
  locale_t locale_;
};

Text folded(Text text) {
  static const CaseLocale case_locale;
  for (char32_t& c : text) c = case_locale.fold(c);
  return text;
}

// The name of a directory entry as a text: UTF-8 when it is valid UTF-8
// (it then survives the round trip unchanged), CP932 otherwise.
Text entry_name(const std::string& bytes) {
  Text text = from_utf8(bytes);
  return to_utf8(text) == bytes ? text : decode_cp932(bytes);
}

bool is_separator(char32_t c) { return c == U'\\' || c == U'/'; }

// The components of an engine path after "." and ".." are applied, or
// nothing when ".." climbs out of the game folder.
std::optional<std::vector<Text>> components(TextView engine_path) {
  std::vector<Text> parts;
  std::size_t start = 0;
  while (start <= engine_path.size()) {
    const auto found = std::find_if(engine_path.begin() + start, engine_path.end(), is_separator);
    const auto end = static_cast<std::size_t>(found - engine_path.begin());
    const Text part(engine_path.substr(start, end - start));
    start = end + 1;
    if (part.empty() || part == U".") continue;
    if (part != U"..") {
      parts.push_back(part);
    } else if (parts.empty()) {
      return std::nullopt;
    } else {
      parts.pop_back();
    }
  }
  return parts;
}

// The entry of `folder` named `name`: the exact name if it exists, else the
// first entry in byte order whose name matches after case folding.
std::optional<fs::path> find_entry(const fs::path& folder, const Text& name) {
  std::error_code error;
  fs::path exact = folder / to_utf8(name);
  if (fs::exists(exact, error)) return exact;
  const Text wanted = folded(name);
  std::optional<std::string> best;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string entry = it->path().filename().native();
    if ((!best || entry < *best) && folded(entry_name(entry)) == wanted) best = std::move(entry);
  }
  if (!best) return std::nullopt;
  return folder / *best;
}

}  // namespace

GameFolder::GameFolder(fs::path root) : root_(std::move(root)) {}

std::optional<fs::path> GameFolder::resolve(TextView engine_path) const {
  if (engine_path.find(U'\0') != TextView::npos) return std::nullopt;
  const auto parts = components(engine_path);
  if (!parts) return std::nullopt;
  fs::path path = root_;
  for (const Text& part : *parts) {
    auto found = find_entry(path, part);
    if (!found) return std::nullopt;
    path = std::move(*found);
  }
  std::error_code error;
  if (!fs::exists(path, error)) return std::nullopt;
  return path;
}

bool GameFolder::exists_exactly(TextView engine_path) const {
  if (engine_path.find(U'\0') != TextView::npos) return false;
  const auto parts = components(engine_path);
  if (!parts) return false;
  fs::path path = root_;
  for (const Text& part : *parts) path /= to_utf8(part);
  std::error_code error;
  return fs::exists(path, error);
}

std::string GameFolder::read_file(TextView engine_path) const {
  const auto path = resolve(engine_path);
  if (!path) throw Failure("ファイルが見つかりません: " + spelled(engine_path));
  std::error_code error;
  std::ifstream in;
  if (!fs::is_directory(*path, error)) in.open(*path, std::ios::binary);
  if (!in.is_open()) throw Failure("ファイルを読めません: " + spelled(engine_path));
  std::string content;
  std::vector<char> buffer(kReadChunk);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
    content.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
  if (in.bad()) throw Failure("ファイルを読めません: " + spelled(engine_path));
  return content;
}

std::string GameFolder::spelled(TextView engine_path) const {
  std::error_code error;
  fs::path absolute = fs::absolute(root_, error);
  std::string text = (error ? root_ : absolute).lexically_normal().string();
  while (!text.empty() && text.back() == '/') text.pop_back();
  Text tail(engine_path);
  std::replace(tail.begin(), tail.end(), U'\\', U'/');
  if (!tail.empty() && tail.front() != U'/') text += '/';
  text += to_utf8(tail);
  return text.empty() ? "/" : text;
}

}  // namespace tw
