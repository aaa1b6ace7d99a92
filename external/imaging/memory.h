// Imaging library: its working memory (every buffer, record and line writer it makes for
// itself) comes from the process heap. Pictures handed back to the caller are
// global-memory blocks (platform/global_memory.h).
#pragma once

#include "platform/heap.h"

namespace rvl::imaging {

using platform::allocate;
using platform::allocateArray;
using platform::deallocate;
using platform::setAllocator;

}  // namespace rvl::imaging
