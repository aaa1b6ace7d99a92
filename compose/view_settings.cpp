// The view settings the host gives the renderer.
#include "page/page.h"
#include "ravelin.h"

using rvl::page;

extern "C" void RVL_SetScale(int32_t whole, float scale) noexcept {
  page.viewScaleWhole = whole;
  page.viewScale = scale;
}

extern "C" void RVL_SetOffset(int32_t x, int32_t y) noexcept {
  page.viewOffsetX = x;
  page.viewOffsetY = y;
}

extern "C" void RVL_SetViewSize(int32_t width, int32_t height) noexcept {
  page.viewWidth = width;
  page.viewHeight = height;
}

extern "C" void RVL_SetTracingMode(int32_t flag) noexcept { page.tracingMode = static_cast<uint8_t>(flag); }

// The engine draws no grid: both grid settings are accepted and ignored by one body.
extern "C" void RVL_SetGrid(int32_t) noexcept {}
extern "C" void RVL_SetGridSpacing(int32_t) noexcept __attribute__((alias("RVL_SetGrid")));
