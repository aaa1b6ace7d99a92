// The conversion family: byte shuffles between packed formats, plain row loops.
#include "external/imaging/conversion.h"

#include <cstddef>

#include "external/imaging/pixel_buffer.h"

namespace rvl::imaging {

namespace {
bool validPlane(const uint8_t* plane, uint32_t width, uint32_t height, uint32_t pitch) {
  return validImage(plane, width, height, pitch, 1);
}

bool anyPlane(const uint8_t* const planes[4], uint32_t count) {
  for (uint32_t c = 0; c < count; ++c)
    if (planes[c]) return true;
  return false;
}
}  // namespace

uint32_t IS3RGBAToBGRA(uint8_t* image, uint32_t width, uint32_t height, uint32_t pitch) {
  if (!validImage(image, width, height, pitch, 4)) return badArgument();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* p = image + static_cast<size_t>(y) * pitch;
    for (uint32_t x = 0; x < width; ++x, p += 4) {
      uint8_t red = p[0];
      p[0] = p[2];
      p[2] = red;
    }
  }
  return 1;
}

uint32_t IS3RGBToRGBA(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t rgbPitch,
                      uint8_t* rgba, uint32_t rgbaPitch) {
  if (!validImage(rgb, width, height, rgbPitch, 3) ||
      !validImage(rgba, width, height, rgbaPitch, 4))
    return badArgument();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* s = rgb + static_cast<size_t>(y) * rgbPitch;
    uint8_t* d = rgba + static_cast<size_t>(y) * rgbaPitch;
    for (uint32_t x = 0; x < width; ++x, s += 3, d += 4) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      d[3] = 255;
    }
  }
  return 1;
}

uint32_t IS3RGBAToRGBPlusAlpha(const uint8_t* rgba, uint32_t width, uint32_t height,
                               uint32_t rgbaPitch, uint8_t* rgb, uint32_t rgbPitch,
                               uint8_t* alpha, uint32_t alphaPitch) {
  if (!validImage(rgba, width, height, rgbaPitch, 4) ||
      !validImage(rgb, width, height, rgbPitch, 3) ||
      (alpha && !validPlane(alpha, width, height, alphaPitch)))
    return badArgument();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* s = rgba + static_cast<size_t>(y) * rgbaPitch;
    uint8_t* d = rgb + static_cast<size_t>(y) * rgbPitch;
    for (uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
    if (alpha) {
      s = rgba + static_cast<size_t>(y) * rgbaPitch + 3;
      uint8_t* a = alpha + static_cast<size_t>(y) * alphaPitch;
      for (uint32_t x = 0; x < width; ++x, s += 4) a[x] = *s;
    }
  }
  return 1;
}

uint32_t IS3SplitImage(const uint8_t* image, uint32_t width, uint32_t height,
                       uint32_t bytesPerPixel, uint32_t pitch, uint8_t* const planes[4],
                       uint32_t planePitch) {
  if ((bytesPerPixel != 3 && bytesPerPixel != 4) || !planes ||
      !validImage(image, width, height, pitch, bytesPerPixel))
    return badArgument();
  const uint32_t channels = bytesPerPixel;
  if (anyPlane(planes, channels) && planePitch < width)
    return badArgument();
  for (uint32_t c = 0; c < channels; ++c) {
    uint8_t* plane = planes[c];
    if (!plane) continue;
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* s = image + static_cast<size_t>(y) * pitch + c;
      uint8_t* d = plane + static_cast<size_t>(y) * planePitch;
      for (uint32_t x = 0; x < width; ++x, s += channels) d[x] = *s;
    }
  }
  return 1;
}

uint32_t IS3CombineImageChannels(uint8_t* image, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t pitch,
                                 const uint8_t* const planes[4], uint32_t planePitch) {
  if ((bytesPerPixel != 3 && bytesPerPixel != 4) || !planes ||
      !validImage(image, width, height, pitch, bytesPerPixel))
    return badArgument();
  const uint32_t channels = bytesPerPixel;
  if (anyPlane(planes, channels) && planePitch < width)
    return badArgument();
  for (uint32_t c = 0; c < channels; ++c) {
    const uint8_t* plane = planes[c];
    if (!plane) continue;
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* s = plane + static_cast<size_t>(y) * planePitch;
      uint8_t* d = image + static_cast<size_t>(y) * pitch + c;
      for (uint32_t x = 0; x < width; ++x, d += channels) *d = s[x];
    }
  }
  return 1;
}

uint32_t IS3ImageToGrayScale8Bit(const uint8_t* src, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t srcPitch, uint8_t* dst,
                                 uint32_t dstPitch, uint32_t flags) {
  (void)flags;
  if ((bytesPerPixel != 3 && bytesPerPixel != 4) ||
      !validImage(src, width, height, srcPitch, bytesPerPixel) ||
      !validPlane(dst, width, height, dstPitch))
    return badArgument();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<size_t>(y) * srcPitch;
    uint8_t* d = dst + static_cast<size_t>(y) * dstPitch;
    for (uint32_t x = 0; x < width; ++x, s += bytesPerPixel)
      d[x] = static_cast<uint8_t>((77u * s[0] + 150u * s[1] + 29u * s[2] + 128u) >> 8);
  }
  return 1;
}

}  // namespace rvl::imaging
