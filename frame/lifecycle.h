// The moments of the engine's life that several subsystems answer.
//
// A lower folder raises these events; engine/lifecycle.cpp, above every subsystem, holds
// the one table of who answers which, so no folder needs to include one above it. Each
// subsystem releases and resets only its own state.
#pragma once

#include <cstdint>

namespace rvl::lifecycle {

// The page's buffers are going (page deleted, replaced or resized): every subsystem
// releases what lives only as long as the page.
void pageReleased();
// The page's buffers have just been allocated for the stored sizes.
void pageCreated();
// The slot at index became the current layer (previous was current before; the two may
// be the same).
void layerSelected(int32_t previous, int32_t index);
// The options of the slot at index were set.
void layerOptionsSet(int32_t index);
// An allocation of about kilobytes failed: subsystems holding memory they can give up
// release some. True when anything was released (worth trying again).
bool reclaimMemory(int32_t kilobytes);

}  // namespace rvl::lifecycle
