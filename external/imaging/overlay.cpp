// The overlay of the geometry family: an exact rectangle copy at full opacity (the undo
// store's rectangle copies run through it), a fixed-point channel blend below.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "external/imaging/geometry.h"
#include "external/imaging/image_view.h"

namespace rvl::imaging {

namespace {
constexpr uint32_t kOne = 65536;  // opacity 1 in the blend's fixed point

// v = (s × a + d × (1 − a)) with a = weight / 65536, rounded half up. The largest sum,
// 65535 × 65536 + 32768, still fits 32 bits.
template <class Channel>
void blendRow(Channel* d, const Channel* s, size_t count, uint32_t weight) {
  const uint32_t rest = kOne - weight;
  for (size_t i = 0; i < count; ++i)
    d[i] = static_cast<Channel>((s[i] * weight + d[i] * rest + kOne / 2) >> 16);
}

// Lays src over dst, both valid views of one format and of the same size, with weight
// 1..kOne (kOne: an exact copy).
void overlayKernel(ImageView dst, ConstImageView src, uint32_t weight) {
  const size_t rowBytes = dst.rowBytes();
  const bool wide = dst.bytesPerPixel == 2 || dst.bytesPerPixel == 8;
  for (int64_t y = 0; y < dst.height; ++y) {
    uint8_t* out = dst.row(y);
    const uint8_t* in = src.row(y);
    if (weight == kOne) {
      std::memcpy(out, in, rowBytes);
    } else if (wide) {
      blendRow(reinterpret_cast<uint16_t*>(out), reinterpret_cast<const uint16_t*>(in),
               rowBytes / 2, weight);
    } else {
      blendRow(out, in, rowBytes, weight);
    }
  }
}
}  // namespace

uint32_t IS3OverlayImage(void* dst, uint32_t dstW, uint32_t dstH, uint32_t bytesPerPixel,
                         uint32_t dstPitch, const void* src, uint32_t srcW, uint32_t srcH,
                         uint32_t srcPitch, int32_t x, int32_t y, double opacity,
                         uint32_t flags) {
  (void)flags;
  const ImageView under = imageView(dst, dstW, dstH, dstPitch, bytesPerPixel);
  const ConstImageView over = imageView(src, srcW, srcH, srcPitch, bytesPerPixel);
  if (std::isnan(opacity) || !validView(under, kGeometryFormats, Channels::Wide16) ||
      !validView(over, kGeometryFormats, Channels::Wide16))
    return badArgument();

  // The overlap in destination coordinates; nothing to do when it is empty.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + over.width, under.width);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + over.height, under.height);
  if (left >= right || top >= bottom || opacity <= 0.0) return 1;
  const uint32_t weight =
      opacity >= 1.0 ? kOne : static_cast<uint32_t>(std::lround(opacity * kOne));
  if (weight == 0) return 1;
  const int64_t w = right - left, h = bottom - top;
  overlayKernel(under.part(left, top, w, h), over.part(left - x, top - y, w, h), weight);
  return 1;
}

}  // namespace rvl::imaging
