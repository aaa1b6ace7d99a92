// Imaging library: effects on packed pictures.
#pragma once

#include <cstdint>

namespace rvl::imaging {

// Blurs src into dst (same size and format; dst may be src). bytesPerPixel 1, 3 or 4.
// strength 1..1000 sets the radius: a Gaussian of sigma strength / 50 pixels (strength
// 100 gives sigma 2). mode is reserved (1). Non-zero on success.
uint32_t IS3BlurImage(const uint8_t* src, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                      uint32_t srcPitch, uint8_t* dst, uint32_t dstPitch, uint32_t strength, uint32_t mode);

}  // namespace rvl::imaging
