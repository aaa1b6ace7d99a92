// The script parser: a strict line-based reader of effect-script text. Nothing is
// allocated; every limit is checked before it could be passed.
#include <array>
#include <iterator>

#include "external/fxscript/fxscript.h"
#include "external/fxscript/script.h"

namespace rvl::fxscript {

namespace {

constexpr int kMaxTokens = 24;
constexpr int kMaxParams = 16;  // own parameters and common options of one generator

enum class ParamKind { Int, Colour, Choice };

struct ParamRule {
  const char* name;
  ParamKind kind;
  int32_t Layer::*intField;    // Int
  Color Layer::*colourField;   // Colour
  int32_t minimum;
  int32_t maximum;
  bool required;
  const char* const* choices;  // Choice: null-terminated list, index = value
  void (*setChoice)(Layer&, int32_t);  // Choice
};

constexpr const char* kBlendNames[] = {"normal", "multiply", "screen", "overlay", "darken",
                                       "lighten", "add", "subtract", nullptr};
constexpr const char* kCurveNames[] = {"linear", "smooth", nullptr};
constexpr const char* kProfileNames[] = {"square", "triangle", "sine", nullptr};

constexpr ParamRule intParam(const char* name, int32_t Layer::*field, int32_t lo, int32_t hi,
                             bool required = false) {
  return {name, ParamKind::Int, field, nullptr, lo, hi, required, nullptr, nullptr};
}
constexpr ParamRule colourParam(const char* name, Color Layer::*field) {
  return {name, ParamKind::Colour, nullptr, field, 0, 0, false, nullptr, nullptr};
}
constexpr ParamRule choiceParam(const char* name, const char* const* choices,
                                void (*set)(Layer&, int32_t)) {
  return {name, ParamKind::Choice, nullptr, nullptr, 0, 0, false, choices, set};
}

constexpr ParamRule kCurveParam =
    choiceParam("curve", kCurveNames, [](Layer& l, int32_t v) { l.curve = static_cast<Curve>(v); });

// Each generator's own parameters.
constexpr int32_t kCoord = kMaxCoordinate;
constexpr ParamRule kSolidParams[] = {colourParam("color", &Layer::color0)};
constexpr ParamRule kLinearParams[] = {
    intParam("x0", &Layer::x0, -kCoord, kCoord, true), intParam("y0", &Layer::y0, -kCoord, kCoord, true),
    intParam("x1", &Layer::x1, -kCoord, kCoord, true), intParam("y1", &Layer::y1, -kCoord, kCoord, true),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1), kCurveParam};
constexpr ParamRule kRadialParams[] = {
    intParam("cx", &Layer::cx, -kCoord, kCoord, true), intParam("cy", &Layer::cy, -kCoord, kCoord, true),
    intParam("radius", &Layer::radius, 1, kCoord, true), intParam("inner", &Layer::inner, 0, kCoord),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1), kCurveParam};
constexpr ParamRule kNoiseParams[] = {
    intParam("scale", &Layer::scale, 1, kMaxSide), intParam("octaves", &Layer::octaves, 1, kMaxOctaves),
    intParam("persistence", &Layer::persistence, 1, 100),
    intParam("seed", &Layer::seed, -999999999, 999999999),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1)};
constexpr ParamRule kPlasmaParams[] = {
    intParam("scale", &Layer::scale, 2, kMaxSide), intParam("seed", &Layer::seed, -999999999, 999999999),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1)};
constexpr ParamRule kCheckerParams[] = {
    intParam("size", &Layer::size, 1, kMaxSide),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1)};
constexpr ParamRule kStripesParams[] = {
    intParam("period", &Layer::period, 2, kMaxSide), intParam("angle", &Layer::angle, -360, 360),
    choiceParam("profile", kProfileNames,
                [](Layer& l, int32_t v) { l.profile = static_cast<Profile>(v); }),
    colourParam("color0", &Layer::color0), colourParam("color1", &Layer::color1)};

struct GeneratorRule {
  const char* keyword;
  GeneratorKind kind;
  const ParamRule* params;
  int count;
};

template <size_t N>
constexpr GeneratorRule generator(const char* keyword, GeneratorKind kind, const ParamRule (&params)[N]) {
  return {keyword, kind, params, static_cast<int>(N)};
}

constexpr GeneratorRule kGenerators[] = {
    generator("solid", GeneratorKind::Solid, kSolidParams),
    generator("linear", GeneratorKind::Linear, kLinearParams),
    generator("radial", GeneratorKind::Radial, kRadialParams),
    generator("noise", GeneratorKind::Noise, kNoiseParams),
    generator("perlin", GeneratorKind::Perlin, kNoiseParams),
    generator("plasma", GeneratorKind::Plasma, kPlasmaParams),
    generator("checker", GeneratorKind::Checker, kCheckerParams),
    generator("stripes", GeneratorKind::Stripes, kStripesParams),
};

// Options of every generator line.
constexpr ParamRule kCommonParams[] = {
    choiceParam("blend", kBlendNames, [](Layer& l, int32_t v) { l.blend = static_cast<BlendMode>(v); }),
    intParam("opacity", &Layer::opacity, 0, 100),
};

constexpr bool seenTableFits() {
  for (const GeneratorRule& gen : kGenerators)
    if (gen.count + static_cast<int>(std::size(kCommonParams)) > kMaxParams) return false;
  return true;
}
static_assert(seenTableFits());

Layer defaultLayer(GeneratorKind kind) {
  Layer layer{};
  layer.kind = kind;
  layer.blend = BlendMode::Normal;
  layer.opacity = 100;
  layer.color0 = {0, 0, 0, 255};
  layer.color1 = {255, 255, 255, 255};
  layer.curve = Curve::Linear;
  layer.scale = kind == GeneratorKind::Plasma ? 64 : 16;
  layer.octaves = 1;
  layer.persistence = 50;
  layer.size = 8;
  layer.period = 16;
  layer.profile = Profile::Square;
  return layer;
}

bool parseInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && text[0] == '-') {
    negative = true;
    i = 1;
  }
  size_t digits = text.size() - i;
  if (digits == 0 || digits > 9) return false;
  int32_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseColour(std::string_view text, Color& colour) {
  if ((text.size() != 7 && text.size() != 9) || text[0] != '#') return false;
  uint8_t bytes[4] = {0, 0, 0, 255};
  for (size_t i = 1, b = 0; i < text.size(); i += 2, ++b) {
    int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[b] = static_cast<uint8_t>(hi * 16 + lo);
  }
  colour = {bytes[0], bytes[1], bytes[2], bytes[3]};
  return true;
}

bool parseValue(const ParamRule& rule, std::string_view text, Layer& layer) {
  switch (rule.kind) {
    case ParamKind::Int: {
      int32_t v = 0;
      if (!parseInt(text, v) || v < rule.minimum || v > rule.maximum) return false;
      layer.*rule.intField = v;
      return true;
    }
    case ParamKind::Colour:
      return parseColour(text, layer.*rule.colourField);
    case ParamKind::Choice:
      for (int32_t i = 0; rule.choices[i]; ++i) {
        if (text == rule.choices[i]) {
          rule.setChoice(layer, i);
          return true;
        }
      }
      return false;
  }
  return false;
}

struct Tokens {
  std::array<std::string_view, kMaxTokens> items;
  int count = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool tokenize(std::string_view line, Tokens& tokens) {
  tokens.count = 0;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) break;
    size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (tokens.count == kMaxTokens) return false;
    tokens.items[tokens.count++] = line.substr(start, i - start);
  }
  return true;
}

bool parseGenerator(const GeneratorRule& gen, const Tokens& tokens, Layer& layer) {
  layer = defaultLayer(gen.kind);
  // Which parameters were given: own ones first, then the common options.
  bool seen[kMaxParams] = {};
  const int own = gen.count;
  const int common = static_cast<int>(std::size(kCommonParams));
  for (int t = 1; t < tokens.count; ++t) {
    std::string_view token = tokens.items[t];
    size_t eq = token.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq + 1 == token.size()) return false;
    std::string_view key = token.substr(0, eq), value = token.substr(eq + 1);
    const ParamRule* rule = nullptr;
    int index = -1;
    for (int p = 0; p < own && !rule; ++p)
      if (key == gen.params[p].name) rule = &gen.params[p], index = p;
    for (int p = 0; p < common && !rule; ++p)
      if (key == kCommonParams[p].name) rule = &kCommonParams[p], index = own + p;
    if (!rule || seen[index]) return false;
    seen[index] = true;
    if (!parseValue(*rule, value, layer)) return false;
  }
  for (int p = 0; p < own; ++p)
    if (gen.params[p].required && !seen[p]) return false;
  // Degenerate geometry has no defined gradient.
  if (gen.kind == GeneratorKind::Linear && layer.x0 == layer.x1 && layer.y0 == layer.y1) return false;
  if (gen.kind == GeneratorKind::Radial && layer.inner >= layer.radius) return false;
  return true;
}

bool parseStatement(const Tokens& tokens, Script& out, bool& sizeSeen) {
  std::string_view keyword = tokens.items[0];
  if (keyword == "size") {
    if (sizeSeen || tokens.count != 3) return false;
    int32_t w = 0, h = 0;
    if (!parseInt(tokens.items[1], w) || !parseInt(tokens.items[2], h)) return false;
    if (w < 1 || w > kMaxSide || h < 1 || h > kMaxSide) return false;
    out.width = w;
    out.height = h;
    sizeSeen = true;
    return true;
  }
  if (!sizeSeen || out.layerCount == kMaxLayers) return false;
  for (const GeneratorRule& gen : kGenerators) {
    if (keyword == gen.keyword) return parseGenerator(gen, tokens, out.layers[out.layerCount++]);
  }
  return false;
}

}  // namespace

bool parseScript(const uint8_t* data, size_t size, Script& out) noexcept {
  out.width = out.height = out.layerCount = 0;
  if (!data || size == 0 || size > kMaxScriptBytes) return false;
  const char* text = reinterpret_cast<const char*>(data);
  bool sizeSeen = false;
  int32_t lineNumber = 0;
  size_t pos = 0;
  Tokens tokens;
  while (pos < size) {
    size_t end = pos;
    while (end < size && text[end] != '\n') ++end;
    std::string_view line(text + pos, end - pos);
    pos = end < size ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (++lineNumber > kMaxLines || line.size() > kMaxLineLength) return false;
    for (char c : line) {
      unsigned char u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\t') || u >= 0x7F) return false;
    }
    if (lineNumber == 1) {
      if (line != kFirstLine) return false;
      continue;
    }
    if (!tokenize(line, tokens)) return false;
    if (tokens.count == 0 || tokens.items[0][0] == ';') continue;
    if (!parseStatement(tokens, out, sizeSeen)) return false;
  }
  return sizeSeen && out.layerCount > 0;
}

void fillHeader(const Script& script, int32_t* header) noexcept {
  for (int i = 0; i < kHeaderEntries; ++i) header[i] = 0;
  header[0] = kHeaderMagic;
  header[1] = kFormatVersion;
  header[2] = script.layerCount;
  header[3] = 4;  // bytes per pixel
  header[4] = script.width;
  header[5] = script.height;
  header[6] = script.width * 4;  // bytes per row
}

}  // namespace rvl::fxscript
