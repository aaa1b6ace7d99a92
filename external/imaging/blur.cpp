// The blur family: argument checks here, the work in the OpenCV unit.
#include "external/imaging/effects.h"
#include "external/imaging/opencv_glue.h"
#include "external/imaging/pixel_buffer.h"

namespace rvl::imaging {

uint32_t IS3BlurImage(const uint8_t* src, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint32_t srcPitch, uint8_t* dst, uint32_t dstPitch, uint32_t strength, uint32_t mode) {
  (void)mode;
  if ((bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4) || strength < 1 || strength > 1000 ||
      !validImage(src, width, height, srcPitch, bytesPerPixel) ||
      !validImage(dst, width, height, dstPitch, bytesPerPixel))
    return badArgument();
  return gaussianBlurWithOpenCV(src, width, height, srcPitch, dst, dstPitch, bytesPerPixel, strength / 50.0);
}

}  // namespace rvl::imaging
