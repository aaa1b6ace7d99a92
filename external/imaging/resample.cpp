// The resampling part of the geometry family: views checked here, the arithmetic in the
// OpenCV glue.
#include "external/imaging/geometry.h"
#include "external/imaging/image_view.h"
#include "external/imaging/opencv_glue.h"

namespace rvl::imaging {

namespace {
// The shared adapter of the resamplers: two views of one geometry format.
uint32_t resample(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                  uint32_t dw, uint32_t dh, uint32_t dstPitch, uint32_t bytesPerPixel,
                  Resampling how) {
  const ConstImageView in = imageView(src, w, h, srcPitch, bytesPerPixel);
  const ImageView out = imageView(dst, dw, dh, dstPitch, bytesPerPixel);
  if (!validView(in, kGeometryFormats, Channels::Wide16) ||
      !validView(out, kGeometryFormats, Channels::Wide16))
    return badArgument();
  return resampleWithOpenCV(in, out, how);
}
}  // namespace

uint32_t IS3DecimateImage(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                          uint32_t dw, uint32_t dh, uint32_t dstPitch, uint32_t bytesPerPixel,
                          uint32_t mode) {
  if (mode != kDecimateNearest && mode != kDecimateAverage) return badArgument();
  return resample(src, w, h, srcPitch, dst, dw, dh, dstPitch, bytesPerPixel,
                  mode == kDecimateAverage ? Resampling::Area : Resampling::Nearest);
}

uint32_t IS3ResizeImage(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                        uint32_t dw, uint32_t dh, uint32_t dstPitch, uint32_t bytesPerPixel) {
  return resample(src, w, h, srcPitch, dst, dw, dh, dstPitch, bytesPerPixel,
                  Resampling::Bilinear);
}

uint32_t IS3ResizeImageBicubic(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch,
                               void* dst, uint32_t dw, uint32_t dh, uint32_t dstPitch,
                               uint32_t bytesPerPixel) {
  return resample(src, w, h, srcPitch, dst, dw, dh, dstPitch, bytesPerPixel,
                  Resampling::Bicubic);
}

}  // namespace rvl::imaging
