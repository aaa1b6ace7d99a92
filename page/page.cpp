// Creating, resizing and deleting the page.
#include <algorithm>
#include <cstring>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "frame/lifecycle.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

PageState page{};

namespace {

int32_t clampPageSide(int32_t side) {
  if (side < 0) side = 100;
  if (side > kMaxPageSide) side = 100;
  return side;
}

// The brush buffers are sized by b squared: a negative b gets none, and b is held to the
// page limit so that its buffers stay within what the engine can address.
int32_t clampBrushBufferSize(int32_t b) { return std::clamp(b, 0, kMaxBrushBufferSize); }

void storeSizes(int32_t width, int32_t height, int32_t b, int32_t reserved) {
  page.pageWidth = width;
  page.pageHeight = height;
  page.pageStride = width * 4;
  page.brushBufferSize = b;
  page.brushStride = b * 4;
  page.reserved = reserved;
  page.viewScaleWhole = 1;
  page.viewScale = 1.0f;
  page.viewOffsetX = page.viewOffsetY = 0;
}

// Everything the page holds apart from the layers' pixels and the random arrays, and
// what the other subsystems keep for the page.
void releasePageBuffers() {
  release(page.mask);
  release(page.textureBuffer);
  release(page.backBuffer.pixels);
  release(page.backBuffer.mask);
  release(page.blendBuffer);
  release(page.shapeBuffer);
  for (auto& grit : page.gritBuffers) release(grit);
  lifecycle::pageReleased();
}

// Steps shared by page creation and resizing: brush buffers, mask, back buffer and random
// arrays for the stored sizes; then the other subsystems (the undo store starts empty).
void allocatePageBuffers(bool zeroBlendBuffer, bool setTraceLayer) {
  const size_t b = size_t(page.brushBufferSize);
  for (auto& grit : page.gritBuffers) grit.allocateOrThrow((b + 25) * (b + 25));
  page.shapeBuffer.allocateOrThrow(b * b);
  page.blendBuffer.allocateOrThrow(b * b * 4);
  if (zeroBlendBuffer) std::memset(page.blendBuffer, 0, 2 * b * b);

  page.mask.allocateOrThrow(pagePixels());
  std::memset(page.mask, 255, pagePixels() * 2);
  page.maskEnabled = 1;
  page.tracingMode = 0;
  if (setTraceLayer) page.traceLayer = &page.layerTable[kTraceSlot];

  page.backBuffer.pixels.allocateOrThrow(pagePixels() * 4);
  page.backBuffer.mask.allocateOrThrow(pagePixels());

  makeRandArrayByte(page.randArray255, 255, kRandArrayLength);
  makeRandArrayByte(page.randArray254, 254, kRandArrayLength);
  lifecycle::pageCreated();
}

}  // namespace

void createImage(platform::WindowHandle hostWindow, int32_t width, int32_t height, int32_t b,
                 int32_t reserved) {
  width = clampPageSide(width);
  height = clampPageSide(height);
  // A page created over a page that was never deleted would leak its buffers (and leave a
  // paint layer of the old size behind): release them first.
  releasePageBuffers();
  page.hostWindow = hostWindow;
  storeSizes(width, height, clampBrushBufferSize(b), reserved);
  for (auto& slot : page.layerTable) release(slot.pixels);
  page.currentLayer = nullptr;
  allocatePageBuffers(/*zeroBlendBuffer=*/true, /*setTraceLayer=*/true);
}

void newSize(platform::WindowHandle hostWindow, int32_t width, int32_t height, int32_t b,
             int32_t reserved) {
  width = clampPageSide(width);
  height = clampPageSide(height);
  page.pageHeight = height;
  page.hostWindow = hostWindow;
  page.pageWidth = width;
  releasePageBuffers();
  storeSizes(width, height, clampBrushBufferSize(b), reserved);
  allocatePageBuffers(/*zeroBlendBuffer=*/false, /*setTraceLayer=*/false);
}

void deleteImage() {
  releasePageBuffers();
  for (int i = 0; i < kLayerSlots; ++i) deleteLayer(i);
}

void resetPageState() { page = PageState{}; }

}  // namespace rvl

extern "C" void RVL_CreateImage(RVL_Window hostWindow, int32_t width, int32_t height,
                                int32_t brushBufferSize, int32_t reserved) noexcept {
  rvl::guarded("CreateImage Excpt",
               [&] { rvl::createImage(hostWindow, width, height, brushBufferSize, reserved); });
}

extern "C" void RVL_NewSize(RVL_Window hostWindow, int32_t width, int32_t height,
                            int32_t brushBufferSize, int32_t reserved) noexcept {
  rvl::guarded("NewSize Excpt",
               [&] { rvl::newSize(hostWindow, width, height, brushBufferSize, reserved); });
}

extern "C" void RVL_DeleteImage(void) noexcept { rvl::guarded("DeleteImage Excpt", [] { rvl::deleteImage(); }); }
