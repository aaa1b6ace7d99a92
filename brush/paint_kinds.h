// Paint kinds above 33: the blend modes 34..48 (32 + the merge-mode code of the same name)
// and the tool kinds that map the brush colour through the colour banks, posterize it or
// paint only where a luminance passes a threshold.
#pragma once

#include <cstdint>

namespace rvl {

// True for the kinds that have a rule of their own (34..48, 249..262, 295, 340, 387, 388).
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
