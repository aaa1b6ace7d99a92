// The paint layer: a page-sized stroke layer that dabs paint into while it exists, merged
// into a layer at the end of the stroke with its own mode and opacity.
#include <algorithm>
#include <cstring>

#include "brush/brush.h"
#include "external/imaging/effects.h"
#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

BrushState brush = [] {
  BrushState initial{};
  initial.currentGrit = GritPosition{-1, 0};
  return initial;
}();

namespace {

size_t paintLayerPixels() {
  const LayerSlot& s = brush.paintLayer.slot;
  return size_t(std::max(s.width, 0)) * size_t(std::max(s.height, 0));
}

}  // namespace

void releasePaintLayer() { release(brush.paintLayer.slot.pixels); }

void resetPaintLayerRect() {
  PaintLayer& p = brush.paintLayer;
  p.minX = page.pageWidth;
  p.minY = page.pageHeight;
  p.maxX = 0;
  p.maxY = 0;
}

void clearPaintLayer() {
  if (brush.paintLayer.slot.pixels) std::memset(brush.paintLayer.slot.pixels, 0, paintLayerPixels() * 8);
  resetPaintLayerRect();
}

void createPaintLayer(int32_t percent, const char* name) {
  LayerSlot& s = brush.paintLayer.slot;
  if (!s.pixels) {
    s.width = page.pageWidth;
    s.height = page.pageHeight;
    s.stride = s.width * 4;
    s.pixels.allocate(pagePixels() * 4);
    clearPaintLayer();  // (no memory: no paint layer, dabs go to the current layer)
  }
  if (name && strnlen(name, kModeNameSize) < size_t(kModeNameSize)) std::strcpy(s.modeName, name);
  s.visible = 1;
  s.lockTransparency = 0;
  s.opacity = uint16_t(std::clamp<int64_t>(int64_t(double(percent) * 2.56), 0, 256));
  s.mergeMode = mergeModeCode(name);
}

void resetBrushState() {
  brush = BrushState{};
  brush.currentGrit = GritPosition{-1, 0};
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_CreatePaintLayer(int32_t opacityPercent, const char* modeName) noexcept {
  rvl::guarded(nullptr, [&] {
    createPaintLayer(opacityPercent, modeName);
  });
}

extern "C" void RVL_ClearPaintLayer(void) noexcept {
  rvl::guarded(nullptr, [&] { clearPaintLayer(); });
}

extern "C" void RVL_ClearPaintLayer_old(void) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot& s = brush.paintLayer.slot;
    if (s.pixels) {
      std::memset(s.pixels, 255, paintLayerPixels() * 8);
      const PaintLayer& p = brush.paintLayer;
      const int32_t left = std::max(p.minX, 0), top = std::max(p.minY, 0);
      const int32_t right = std::min(p.maxX, s.width), bottom = std::min(p.maxY, s.height);
      for (int32_t y = top; y < bottom; ++y)
        if (left < right) std::memset(s.pixels + (size_t(y) * s.width + left) * 4, 0, size_t(right - left) * 8);
    }
    resetPaintLayerRect();
  });
}

extern "C" void RVL_DeletePaintLayer(void) noexcept {
  rvl::guarded(nullptr, [&] { releasePaintLayer(); });
}

extern "C" void RVL_BlurPaintLayerAlpha(void) noexcept {
  guarded("BlurPaintLayerAlpha Excpt", [] {
    LayerSlot& s = brush.paintLayer.slot;
    const size_t n = paintLayerPixels();
    if (!s.pixels || n == 0) return;
    uint8_t* alpha = allocArrayOrThrow<uint8_t>(n);
    uint8_t* blurred = allocArray<uint8_t>(n);
    if (!blurred) {
      engineFree(alpha);
      throw OutOfMemory();
    }
    for (size_t i = 0; i < n; ++i) alpha[i] = uint8_t(s.pixels[i * 4 + 3] >> 8);
    if (imaging::IS3BlurImage(alpha, uint32_t(s.width), uint32_t(s.height), 1, uint32_t(s.width), blurred,
                              uint32_t(s.width), 100, 1))
      for (size_t i = 0; i < n; ++i) s.pixels[i * 4 + 3] = alpha[i] >= 240 ? 65535 : uint16_t(blurred[i] << 8);
    engineFree(alpha);
    engineFree(blurred);
  });
}
