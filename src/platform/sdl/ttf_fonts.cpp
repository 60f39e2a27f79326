#include "platform/sdl/ttf_fonts.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "platform/sdl/sdl_handles.h"

namespace tw {
namespace {

using PatternPtr = std::unique_ptr<FcPattern, FreeWith<FcPatternDestroy>>;
using ConfigPtr = std::unique_ptr<FcConfig, FreeWith<FcConfigDestroy>>;

constexpr double kPointsPerInch = 72.0;
// Games use a handful of sizes; a runaway script must not keep every one open.
constexpr std::size_t kMaxOpenFonts = 32;
constexpr SDL_Color kInk{255, 255, 255, 255};
constexpr TextView kStandardFace = U"ＭＳ 明朝";
// A face that lacks any of あ, 明 and ▼ would draw the games' texts as boxes.
constexpr std::array<FcChar32, 3> kJapaneseProbe{0x3042, 0x660E, 0x25BC};
constexpr const char* kNoJapaneseFace =
    "日本語を描けるフォントがありません: fontconfig が あ・明・▼ を含む書体を見つけられません。"
    "IPA 明朝を入れてください (apt install fonts-ipafont-mincho)";

// The faces the games name, folded by fold_name, and the families that draw
// them, best first; the generic family keeps a Mincho look when neither exists.
struct FaceAlias {
  TextView name;
  std::array<const char*, 3> families;
};
constexpr std::array<const char*, 3> kMincho{"IPAMincho", "IPAexMincho", "serif"};
constexpr std::array<const char*, 3> kPMincho{"IPAPMincho", "IPAexMincho", "serif"};
constexpr std::array<const char*, 3> kGothic{"IPAGothic", "IPAexGothic", "sans-serif"};
constexpr std::array<const char*, 3> kPGothic{"IPAPGothic", "IPAexGothic", "sans-serif"};
constexpr std::array kFaceAliases{
    FaceAlias{U"ms 明朝", kMincho},       FaceAlias{U"ms mincho", kMincho},
    FaceAlias{U"ms p明朝", kPMincho},     FaceAlias{U"ms pmincho", kPMincho},
    FaceAlias{U"ms ゴシック", kGothic},   FaceAlias{U"ms gothic", kGothic},
    FaceAlias{U"ms pゴシック", kPGothic}, FaceAlias{U"ms pgothic", kPGothic},
};

// Full-width letters and spaces become ASCII and ASCII lower case: a face
// name matches whichever width and case the game wrote.
Text fold_name(TextView face) {
  Text folded;
  for (char32_t c : face) {
    if (c >= U'！' && c <= U'～') c -= 0xFEE0;
    if (c == U'\u3000') c = U' ';
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
    folded += c;
  }
  return folded;
}

std::vector<std::string> wanted_families(TextView face) {
  const Text folded = fold_name(face);
  for (const FaceAlias& alias : kFaceAliases) {
    if (alias.name == folded) return {alias.families.begin(), alias.families.end()};
  }
  return {to_utf8(face)};
}

struct FontFile {
  std::string path;
  int index = 0;  // the face within a collection file
};

// fontconfig's best match for the families in Japanese, or nullopt when even
// that match cannot draw Japanese: fontconfig always answers something.
std::optional<FontFile> match_japanese(FcConfig* config, const std::vector<std::string>& families) {
  const PatternPtr pattern(FcPatternCreate());
  if (!pattern) throw Failure("fontconfig のパターンを作れません");
  for (const std::string& family : families) {
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const PatternPtr match(FcFontMatch(config, pattern.get(), &result));
  FcChar8* file = nullptr;
  FcCharSet* charset = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch ||
      FcPatternGetCharSet(match.get(), FC_CHARSET, 0, &charset) != FcResultMatch) {
    return std::nullopt;
  }
  for (FcChar32 c : kJapaneseProbe) {
    if (!FcCharSetHasChar(charset, c)) return std::nullopt;
  }
  int index = 0;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  return FontFile{reinterpret_cast<const char*>(file), index};
}

ConfigPtr machine_config() {
  ConfigPtr config(FcInitLoadConfigAndFonts());
  if (!config) throw Failure("fontconfig の設定を読みこめません");
  return config;
}

ConfigPtr file_config(const std::filesystem::path& file) {
  ConfigPtr config(FcConfigCreate());
  if (!config ||
      !FcConfigParseAndLoad(config.get(), reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue) ||
      !FcConfigBuildFonts(config.get())) {
    throw Failure("fontconfig の設定を読みこめません: " + file.string());
  }
  return config;
}

Coverage alpha_of(SDL_Surface& line) {
  SdlSurface converted;
  SDL_Surface* argb = &line;
  if (line.format->format != SDL_PIXELFORMAT_ARGB8888) {
    converted.reset(SDL_ConvertSurfaceFormat(&line, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!converted) throw Failure(std::string("文字の画像を変換できません: ") + SDL_GetError());
    argb = converted.get();
  }
  Coverage coverage{argb->w, argb->h, std::vector<std::uint8_t>(static_cast<std::size_t>(argb->w) * argb->h)};
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const unsigned char*>(argb->pixels) +
                                                      static_cast<std::size_t>(y) * argb->pitch);
    for (int x = 0; x < argb->w; ++x) {
      coverage.alpha[static_cast<std::size_t>(y) * argb->w + x] = static_cast<std::uint8_t>(row[x] >> 24);
    }
  }
  return coverage;
}

struct TtfLibrary {
  TtfLibrary() {
    if (TTF_Init() != 0) throw Failure(std::string("SDL_ttf を準備できません: ") + TTF_GetError());
  }
  ~TtfLibrary() { TTF_Quit(); }
  TtfLibrary(const TtfLibrary&) = delete;
  TtfLibrary& operator=(const TtfLibrary&) = delete;
};

}  // namespace

int font_pixels(double points, int pixels_per_inch) {
  const double pixels = std::round(points * pixels_per_inch / kPointsPerInch);
  if (!(pixels >= 1)) return 1;  // NaN included
  return pixels > kMaxFontPixels ? kMaxFontPixels : static_cast<int>(pixels);
}

struct TtfFonts::State {
  explicit State(ConfigPtr fontconfig) : config(std::move(fontconfig)) {}

  TtfLibrary library;  // first member: quits only after every font below is closed
  ConfigPtr config;
  std::map<Text, FontFile> faces;
  std::map<std::tuple<std::string, int, int, bool>, TtfFont> fonts;

  const FontFile& resolve(TextView face) {
    if (const auto found = faces.find(Text(face)); found != faces.end()) return found->second;
    std::optional<FontFile> file = match_japanese(config.get(), wanted_families(face));
    if (!file) file = match_japanese(config.get(), {});  // any Japanese face serves
    if (!file) throw Failure(kNoJapaneseFace);
    return faces.emplace(Text(face), std::move(*file)).first->second;
  }

  TTF_Font* open(const FontFile& file, int pixels, bool bold) {
    auto key = std::tuple(file.path, file.index, pixels, bold);
    if (const auto found = fonts.find(key); found != fonts.end()) return found->second.get();
    if (fonts.size() >= kMaxOpenFonts) fonts.clear();
    // At SDL_ttf's default 72 dpi a point is a pixel: the size is the em in pixels.
    TtfFont font(TTF_OpenFontIndex(file.path.c_str(), pixels, file.index));
    if (!font) throw Failure("フォントを開けません: " + file.path + " (" + TTF_GetError() + ")");
    // IPA fonts have no bold face; SDL_ttf emboldens the outlines instead.
    if (bold) TTF_SetFontStyle(font.get(), TTF_STYLE_BOLD);
    return fonts.emplace(std::move(key), std::move(font)).first->second.get();
  }
};

TtfFonts::TtfFonts() : state_(std::make_unique<State>(machine_config())) { state_->resolve(kStandardFace); }

TtfFonts::TtfFonts(const std::filesystem::path& fontconfig_file)
    : state_(std::make_unique<State>(file_config(fontconfig_file))) {
  state_->resolve(kStandardFace);
}

TtfFonts::~TtfFonts() = default;

Coverage TtfFonts::render(const FontSpec& font, TextView text, int pixels_per_inch) {
  if (text.empty()) return {};
  TTF_Font* ttf =
      state_->open(state_->resolve(font.face), font_pixels(font.points, pixels_per_inch), font.bold);
  const std::string utf8 = to_utf8(text);
  const SdlSurface line(TTF_RenderUTF8_Blended(ttf, utf8.c_str(), kInk));
  if (!line) {
    int width = 0;
    int height = 0;
    // SDL_ttf refuses a line of zero-width characters; it draws nothing.
    if (TTF_SizeUTF8(ttf, utf8.c_str(), &width, &height) == 0 && width == 0) return {};
    throw Failure(std::string("文字を描けません: ") + TTF_GetError());
  }
  return alpha_of(*line);
}

std::filesystem::path TtfFonts::face_file(TextView face) { return state_->resolve(face).path; }

}  // namespace tw
