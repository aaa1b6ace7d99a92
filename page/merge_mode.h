// The merge modes: the codes 0 to 41 a layer's mergeMode holds (41 named codes; code 20
// has no name) and, per code, what the merge stages do with it. Layers carry the code as a
// plain int32_t (LayerSlot::mergeMode is host-visible state); code that branches on a mode
// converts at that boundary with MergeMode(code) or mergeModeInfo(code).
#pragma once

#include <cstdint>

namespace rvl {

enum class MergeMode : int32_t {
  // The standard modes: separable blend modes; a transparent source pixel is skipped.
  Normal = 0,
  Multiply = 1,
  Screen = 2,
  Darken = 3,
  Lighten = 4,
  Difference = 5,
  Negation = 6,
  Exclusion = 7,
  Overlay = 8,
  HardLight = 9,
  SoftLight = 10,
  Dodge = 11,
  Burn = 12,
  Reflect = 13,
  Glow = 14,
  Add = 15,
  Subtract = 16,
  Texturize = 17,
  Texturize2 = 18,
  Texturize3 = 19,
  Unnamed = 20,  // no name leads here; merges like Normal
  // The alpha modes: the alpha stage rewrites the source colour and alpha first.
  AlphaNormal = 21,
  AlphaFilter = 22,
  AlphaBlackOutline = 23,
  AlphaOutlineTint1 = 24,
  AlphaOutlineTint2 = 25,
  AlphaInvert = 26,
  AlphaShader = 27,
  AlphaShaderColor = 28,
  AlphaShaderTexture2 = 29,
  AlphaHighlightTexture2 = 30,
  AlphaSmooth = 31,
  AlphaSmoothLum = 32,
  AlphaSmoothLum2 = 33,
  AlphaSmoothLum3 = 34,
  AlphaSmoothLum4 = 35,
  AlphaSmoothLum5 = 36,
  AlphaOverlayOutline = 37,
  AlphaHighlight = 38,
  LayerMask = 39,
  LuminanceAlpha = 40,
  LuminanceAlphaInvert = 41,
};

constexpr int32_t codeOf(MergeMode mode) { return static_cast<int32_t>(mode); }

// What the alpha stage does with a source pixel before compositing. F below is the
// same-mode flag (source and destination carry the same alpha mode); "replace" means a
// kept pixel (A > 0) replaces the destination pixel.
enum class AlphaRule : uint8_t {
  None,              // standard modes: the pixel goes on as it is
  Normal,            // A > 0: A = K; F: replace
  Filter,            // white, A = 65535 - A (also for A = 0); F: replace
  Outline,           // 0 < A < 65280: black, A = K; F: replace
  OutlineTint,       // A >= 12287: A = K; 0 < A < 12287: A = 65535 - A; F: replace
  Invert,            // A > 0: A = 65535 - A; F: replace
  Shader,            // A > 0: grey of level A, A = K; F: replace
  ShaderColour,      // A > 0: shaded colour, A = K (effective mode as the row says); F: replace
  HighlightTexture,  // below 32767 the alpha fades, from it the colour lightens; F: replace
  Smooth,            // A >= 32767: A = K; below, A falls four times as fast; F: replace
  SmoothLum,         // toned colour, A = K from 8191, else 0; F: below 8191 0, else replace
  SmoothLumRamp,     // toned colour, A ramped over 8191..9215; F: 0, Multiply, replace
  Highlight,         // A > 32512: A = 0; F: A <= 32512: 0, else replace
  LayerMask,         // A = 0: the layer itself changes nothing
  LuminanceAlpha,    // white, A = the source grey level (source alpha ignored)
  LuminanceAlphaInvert,  // black, A = 65535 - the source grey level
};

// The tone curve the Smooth Lum rules apply to the colour before their alpha rule.
enum class Tone : uint8_t {
  None,
  Tone1,  // around 32767, steps of 1/32767 both ways
  Tone2,  // as tone 1, darkening by steps of 1/65535
  Tone3,  // around 36862: lightening by 1/28672, darkening by 1/30000
};

struct MergeModeInfo {
  MergeMode mode;
  const char* name;         // the host's name, matched exactly; null: the code has no name
  bool skipsTransparent;    // a source pixel of alpha 0 leaves the destination untouched
  bool texturize;           // composites from the destination's own colour; over a
                            // transparent destination the result is transparent black
  bool integerCopy;         // an opaque source pixel (alpha 65280 and more) is copied
                            // with integers instead of blended
  AlphaRule alphaRule;
  Tone tone;
  MergeMode effectiveMode;  // the mode the pixels the alpha stage keeps composite with
};

namespace merge_mode_detail {
constexpr MergeModeInfo standard(MergeMode m, const char* name, bool texturize = false) {
  return {m, name, true, texturize, m == MergeMode::Normal, AlphaRule::None, Tone::None, m};
}
constexpr MergeModeInfo alpha(MergeMode m, const char* name, AlphaRule rule, Tone tone = Tone::None,
                              MergeMode effective = MergeMode::Normal) {
  return {m, name, false, false, false, rule, tone, effective == MergeMode::Normal ? m : effective};
}
}  // namespace merge_mode_detail

inline constexpr int32_t kMergeModeCodes = 42;

// Indexed by code.
inline constexpr MergeModeInfo kMergeModes[kMergeModeCodes] = {
    merge_mode_detail::standard(MergeMode::Normal, "Normal"),
    merge_mode_detail::standard(MergeMode::Multiply, "Multiply"),
    merge_mode_detail::standard(MergeMode::Screen, "Screen"),
    merge_mode_detail::standard(MergeMode::Darken, "Darken"),
    merge_mode_detail::standard(MergeMode::Lighten, "Lighten"),
    merge_mode_detail::standard(MergeMode::Difference, "Difference"),
    merge_mode_detail::standard(MergeMode::Negation, "Negation"),
    merge_mode_detail::standard(MergeMode::Exclusion, "Exclusion"),
    merge_mode_detail::standard(MergeMode::Overlay, "Overlay"),
    merge_mode_detail::standard(MergeMode::HardLight, "Hard Light"),
    merge_mode_detail::standard(MergeMode::SoftLight, "Soft Light"),
    merge_mode_detail::standard(MergeMode::Dodge, "Dodge"),
    merge_mode_detail::standard(MergeMode::Burn, "Burn"),
    merge_mode_detail::standard(MergeMode::Reflect, "Reflect"),
    merge_mode_detail::standard(MergeMode::Glow, "Glow"),
    merge_mode_detail::standard(MergeMode::Add, "Add"),
    merge_mode_detail::standard(MergeMode::Subtract, "Subtract"),
    merge_mode_detail::standard(MergeMode::Texturize, "Texturize", true),
    merge_mode_detail::standard(MergeMode::Texturize2, "Texturize2", true),
    merge_mode_detail::standard(MergeMode::Texturize3, "Texturize3", true),
    merge_mode_detail::standard(MergeMode::Unnamed, nullptr),
    merge_mode_detail::alpha(MergeMode::AlphaNormal, "Alpha Normal", AlphaRule::Normal),
    merge_mode_detail::alpha(MergeMode::AlphaFilter, "Alpha Filter", AlphaRule::Filter),
    merge_mode_detail::alpha(MergeMode::AlphaBlackOutline, "Alpha Black Outline", AlphaRule::Outline),
    merge_mode_detail::alpha(MergeMode::AlphaOutlineTint1, "Alpha Outline Tint 1", AlphaRule::OutlineTint),
    merge_mode_detail::alpha(MergeMode::AlphaOutlineTint2, "Alpha Outline Tint 2", AlphaRule::OutlineTint),
    merge_mode_detail::alpha(MergeMode::AlphaInvert, "Alpha Invert", AlphaRule::Invert),
    merge_mode_detail::alpha(MergeMode::AlphaShader, "Alpha Shader", AlphaRule::Shader),
    merge_mode_detail::alpha(MergeMode::AlphaShaderColor, "Alpha Shader Color", AlphaRule::ShaderColour),
    merge_mode_detail::alpha(MergeMode::AlphaShaderTexture2, "Alpha Shader Texture2", AlphaRule::ShaderColour,
                             Tone::None, MergeMode::Texturize2),
    merge_mode_detail::alpha(MergeMode::AlphaHighlightTexture2, "Alpha Highlight Texture2",
                             AlphaRule::HighlightTexture, Tone::None, MergeMode::Texturize2),
    merge_mode_detail::alpha(MergeMode::AlphaSmooth, "Alpha Smooth", AlphaRule::Smooth),
    merge_mode_detail::alpha(MergeMode::AlphaSmoothLum, "Alpha Smooth Lum", AlphaRule::SmoothLum, Tone::Tone1),
    merge_mode_detail::alpha(MergeMode::AlphaSmoothLum2, "Alpha Smooth Lum2", AlphaRule::SmoothLum, Tone::Tone2),
    merge_mode_detail::alpha(MergeMode::AlphaSmoothLum3, "Alpha Smooth Lum3", AlphaRule::SmoothLum, Tone::Tone3),
    merge_mode_detail::alpha(MergeMode::AlphaSmoothLum4, "Alpha Smooth Lum4", AlphaRule::SmoothLumRamp, Tone::Tone3),
    merge_mode_detail::alpha(MergeMode::AlphaSmoothLum5, "Alpha Smooth Lum5", AlphaRule::SmoothLumRamp, Tone::Tone1),
    merge_mode_detail::alpha(MergeMode::AlphaOverlayOutline, "Alpha Overlay Outline", AlphaRule::Outline),
    merge_mode_detail::alpha(MergeMode::AlphaHighlight, "Alpha Highlight", AlphaRule::Highlight),
    merge_mode_detail::alpha(MergeMode::LayerMask, "Layer Mask", AlphaRule::LayerMask),
    merge_mode_detail::alpha(MergeMode::LuminanceAlpha, "Luminance Alpha", AlphaRule::LuminanceAlpha),
    merge_mode_detail::alpha(MergeMode::LuminanceAlphaInvert, "Luminance Alpha Invert",
                             AlphaRule::LuminanceAlphaInvert),
};

constexpr bool isMergeModeCode(int32_t code) { return code >= 0 && code < kMergeModeCodes; }
constexpr const MergeModeInfo& mergeModeInfo(MergeMode mode) { return kMergeModes[codeOf(mode)]; }
// The row of a code, or null for a number that is no merge-mode code.
constexpr const MergeModeInfo* mergeModeInfo(int32_t code) {
  return isMergeModeCode(code) ? &kMergeModes[code] : nullptr;
}

// True for the alpha modes (an alpha-stage rule of their own); only these merge two layers
// of the same mode by replacement.
constexpr bool hasAlphaStage(int32_t code) {
  const MergeModeInfo* info = mergeModeInfo(code);
  return info && info->alphaRule != AlphaRule::None;
}

namespace merge_mode_detail {
constexpr bool rowsInCodeOrder() {
  for (int32_t code = 0; code < kMergeModeCodes; ++code)
    if (codeOf(kMergeModes[code].mode) != code) return false;
  return true;
}
// The codes whose rows have the flag, when they form one run first..last; else {-1, -1}.
struct CodeRun {
  int32_t first, last;
};
constexpr CodeRun runOf(bool MergeModeInfo::*flag) {
  CodeRun run{-1, -1};
  for (int32_t code = 0; code < kMergeModeCodes; ++code) {
    if (!(kMergeModes[code].*flag)) continue;
    if (run.first < 0) run.first = code;
    else if (run.last != code - 1) return {-1, -1};
    run.last = code;
  }
  return run;
}
}  // namespace merge_mode_detail
static_assert(merge_mode_detail::rowsInCodeOrder());

// The standard modes are the codes 0 to kLastStandardMode. Numbers that are no code count
// by the same bound: those below 0 as standard, those above 41 as modes without an alpha
// rule that do not skip transparent pixels (both composite like Normal).
inline constexpr int32_t kLastStandardMode = merge_mode_detail::runOf(&MergeModeInfo::skipsTransparent).last;
static_assert(merge_mode_detail::runOf(&MergeModeInfo::skipsTransparent).first == 0);
static_assert(kLastStandardMode == codeOf(MergeMode::AlphaNormal) - 1);

// The texturize modes form one run of codes, so the per-pixel test is two comparisons.
inline constexpr merge_mode_detail::CodeRun kTexturizeModes = merge_mode_detail::runOf(&MergeModeInfo::texturize);
static_assert(kTexturizeModes.first >= 0);
constexpr bool isTexturizeMode(int32_t code) {
  return code >= kTexturizeModes.first && code <= kTexturizeModes.last;
}

// Normal is the one mode whose opaque pixels are copied with integers.
static_assert(merge_mode_detail::runOf(&MergeModeInfo::integerCopy).first == codeOf(MergeMode::Normal) &&
              merge_mode_detail::runOf(&MergeModeInfo::integerCopy).last == codeOf(MergeMode::Normal));

// Codes that matter outside the merge arithmetic, as the int32_t a layer holds: a Layer
// Mask layer scales the layer below it when merged (also the mask-mode argument of
// MergePixels that applies a mask layer); a Texturize3 layer is the paper texture source
// and never composited into the view.
inline constexpr int32_t kLayerMaskMode = codeOf(MergeMode::LayerMask);
inline constexpr int32_t kMergeModeTexturize3 = codeOf(MergeMode::Texturize3);

// The code of a name, matched exactly (case-sensitive, whole text); 0 ("Normal") when no
// name matches or there is no name.
int32_t mergeModeCode(const char* name);
// The name of a code; null for code 20 and numbers that are no code.
const char* mergeModeName(int32_t code);

}  // namespace rvl
