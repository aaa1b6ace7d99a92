#include "effects/ipl.h"
#include "frame/allocator.h"

namespace rvl {

IplState ipl{};

void releaseIplBuffers() {
  release(ipl.iplSrcBuffer32);
  release(ipl.iplDstBuffer32);
  release(ipl.iplSrcBuffer24);
  release(ipl.iplDstBuffer24);
}

void resetIplState() {
  releaseIplBuffers();
  ipl = IplState{};
}

}  // namespace rvl
