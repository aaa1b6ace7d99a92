// Effect 51: rotation and scaling of a packed 32-bit picture in place, about its centre.
//
// Slot 3 is the angle in whole degrees (any value, taken modulo 360); a positive angle
// turns the picture counter-clockwise as it is seen, top row at the top, so 360 - angle
// turns it clockwise by angle. Slot 4 is the scale in percent (1..10000; 100 keeps the
// size of the content); other values refuse the run. The picture keeps its size.
//
// Each destination pixel (x, y) takes the source point
//   (sx, sy) = (W/2, H/2) + R(angle) * ((x + 0.5 - W/2), (y + 0.5 - H/2)) / (scale / 100)
// with R(a) = [cos a, -sin a; sin a, cos a]. A pixel whose source point lies outside the
// picture [0, W) x [0, H) becomes fully transparent (all four bytes 0). Otherwise its four
// bytes are sampled bilinearly, every byte on its own (plain, not premultiplied: callers
// that need premultiplied sampling premultiply before and divide after), between the
// pixel centres around (sx - 0.5, sy - 0.5), neighbours past an edge repeating the edge
// pixel, and rounded to the nearest byte. The quarter turns use exact cos and sin, so 0,
// 90, 180 and 270 degrees at scale 100 move whole pixels on a square picture.
#include <cmath>
#include <cstring>

#include "external/fxscript/effects.h"
#include "external/fxscript/generators.h"
#include "external/fxscript/memory.h"

namespace rvl::fxscript {

namespace {

int32_t clampIndex(int32_t v, int32_t last) { return v < 0 ? 0 : (v > last ? last : v); }

}  // namespace

bool rotatePicture(uint8_t* picture, int32_t width, int32_t height, const EffectValues& values) noexcept {
  const int32_t scalePercent = values.slot[kRotateScaleSlot];
  if (scalePercent < 1 || scalePercent > 10000) return false;
  double c = 1.0, s = 0.0;
  degreesCosSin(values.slot[kRotateAngleSlot], c, s);
  if (c == 1.0 && scalePercent == 100) return true;  // the identity

  const size_t rowBytes = static_cast<size_t>(width) * 4;
  const size_t bytes = rowBytes * static_cast<size_t>(height);
  uint8_t* source = allocateArray<uint8_t>(bytes);
  if (!source) return false;
  std::memcpy(source, picture, bytes);

  const double inverseScale = 100.0 / scalePercent;
  const double halfW = width * 0.5, halfH = height * 0.5;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = picture + rowBytes * static_cast<size_t>(y);
    const double dy = (y + 0.5 - halfH) * inverseScale;
    for (int32_t x = 0; x < width; ++x, out += 4) {
      const double dx = (x + 0.5 - halfW) * inverseScale;
      const double sx = halfW + dx * c - dy * s;
      const double sy = halfH + dx * s + dy * c;
      if (!(sx >= 0.0 && sx < width && sy >= 0.0 && sy < height)) {
        std::memset(out, 0, 4);
        continue;
      }
      const double u = sx - 0.5, v = sy - 0.5;
      const double uf = std::floor(u), vf = std::floor(v);
      const double fx = u - uf, fy = v - vf;
      const int32_t x0 = clampIndex(static_cast<int32_t>(uf), width - 1);
      const int32_t x1 = clampIndex(static_cast<int32_t>(uf) + 1, width - 1);
      const int32_t y0 = clampIndex(static_cast<int32_t>(vf), height - 1);
      const int32_t y1 = clampIndex(static_cast<int32_t>(vf) + 1, height - 1);
      const uint8_t* r0 = source + rowBytes * static_cast<size_t>(y0);
      const uint8_t* r1 = source + rowBytes * static_cast<size_t>(y1);
      const uint8_t* p00 = r0 + x0 * 4;
      const uint8_t* p10 = r0 + x1 * 4;
      const uint8_t* p01 = r1 + x0 * 4;
      const uint8_t* p11 = r1 + x1 * 4;
      for (int ch = 0; ch < 4; ++ch) {
        const double top = p00[ch] + (p10[ch] - p00[ch]) * fx;
        const double bottom = p01[ch] + (p11[ch] - p01[ch]) * fx;
        out[ch] = static_cast<uint8_t>(std::floor(top + (bottom - top) * fy + 0.5));
      }
    }
  }
  deallocate(source);
  return true;
}

}  // namespace rvl::fxscript
