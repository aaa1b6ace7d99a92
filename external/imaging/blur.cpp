// The blur family: views and strength checked here, the work in the OpenCV glue.
#include "external/imaging/effects.h"
#include "external/imaging/image_view.h"
#include "external/imaging/opencv_glue.h"

namespace rvl::imaging {

uint32_t IS3BlurImage(const uint8_t* src, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint32_t srcPitch, uint8_t* dst, uint32_t dstPitch, uint32_t strength,
                      uint32_t mode) {
  (void)mode;
  const ConstImageView in = imageView(src, width, height, srcPitch, bytesPerPixel);
  const ImageView out = imageView(dst, width, height, dstPitch, bytesPerPixel);
  constexpr PixelSizes kFormats = kGrey8 | kRGB24 | kRGBA32;
  if (strength < 1 || strength > 1000 || !validView(in, kFormats) || !validView(out, kFormats))
    return badArgument();
  return gaussianBlurWithOpenCV(in, out, strength / 50.0);
}

}  // namespace rvl::imaging
