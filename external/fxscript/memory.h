// Effect-script library: its working memory (the script text, the working row and the
// copies its effects take) comes from the process heap.
#pragma once

#include "platform/heap.h"

namespace rvl::fxscript {

using platform::allocate;
using platform::allocateArray;
using platform::deallocate;
using platform::setAllocator;

}  // namespace rvl::fxscript
