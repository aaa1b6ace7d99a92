// Paint kinds: how a dab combines its colour with the destination (brush.mixKind). Kinds
// 32 to 48 are the merge modes Normal to Subtract, numbered 32 + the merge-mode code: the
// dab renderer paints Normal and Multiply itself; the blend kinds Screen to Subtract, and
// the tool kinds that map the brush colour through the colour banks, posterize it or paint
// only where a luminance passes a threshold, have their rules here.
#pragma once

#include <cstdint>

#include "page/merge_mode.h"

namespace rvl {

inline constexpr int32_t kMergeModeKindBase = 32;
// The paint kind that paints with a merge mode.
constexpr int32_t paintKindOf(MergeMode mode) { return kMergeModeKindBase + codeOf(mode); }

enum PaintKind : int32_t {
  kKindNormal = paintKindOf(MergeMode::Normal),  // plain painting
  kKindMultiply = paintKindOf(MergeMode::Multiply),
  kFirstBlendKind = paintKindOf(MergeMode::Screen),
  kLastBlendKind = paintKindOf(MergeMode::Subtract),
  kKindTwoTones = 249,
  kKindThreeTones = 250,
  kKindFourTones = 251,
  kKindGradientMap = 252,
  kKindDarkToBank = 253,
  kKindLightToBank = 254,
  kKindShadowsAndHighlights = 255,
  kKindSkipDark = 256,
  kKindSkipLight = 257,
  kKindMidtonesOnly = 258,
  kKindDarkOnlyToBank = 259,
  kKindLightOnlyToBank = 260,
  kKindPosterize4 = 261,
  kKindPosterize3 = 262,
  kKindBitDepth = 295,
  kKindGreyWithLuminanceAlpha = 340,
  kKindDarkerByLuminance = 387,
  kKindLighterByLuminance = 388,
};

// The merge mode a kind from kKindNormal to kLastBlendKind paints with.
constexpr MergeMode mergeModeOfKind(int32_t kind) { return MergeMode(kind - kMergeModeKindBase); }

// True for the kinds that have a rule of their own: the blend kinds, the tool kinds
// kKindTwoTones to kKindPosterize3, bit depth, grey with luminance alpha and the two
// luminance comparisons.
bool hasPaintKindRule(int32_t kind);

// One pixel of a dab through a paint kind with a rule. In: coverage Y (1..65535), source
// colour c and alpha A, destination colour d and alpha f. Out: colour o and alpha Z, and
// d pulled towards the brush where the destination is transparent (the write-back uses
// it).
void applyPaintKind(int32_t kind, uint32_t Y, const uint32_t c[3], uint32_t A, uint32_t d[3], uint32_t f,
                    uint32_t o[3], uint32_t& Z);

// The mode colour of a kind for the blend buffer's mix, where the blend colour c meets the
// canvas s (no pull, no amount mix). keep is set when the kind keeps the canvas (then the
// mix takes the canvas colour and alpha). Returns false for kinds with no rule here (the
// mix keeps the blend colour).
bool mixKindColour(int32_t kind, const uint32_t c[3], const uint32_t s[3], uint32_t M[3], uint32_t& alpha,
                   bool& keep);

}  // namespace rvl
