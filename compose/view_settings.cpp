// The view settings the host gives the renderer.
#include "page/page.h"
#include "ravelin.h"

using rvl::page;

extern "C" void RVL_SetScale(int32_t whole, float scale) {
  page.viewScaleWhole = whole;
  page.viewScale = scale;
}

extern "C" void RVL_SetOffset(int32_t x, int32_t y) {
  page.viewOffsetX = x;
  page.viewOffsetY = y;
}

extern "C" void RVL_SetViewSize(int32_t width, int32_t height) {
  page.viewWidth = width;
  page.viewHeight = height;
}

extern "C" void RVL_SetTracingMode(int32_t flag) { page.tracingMode = static_cast<uint8_t>(flag); }

// The engine draws no grid: both grid settings are accepted and ignored by one body.
extern "C" void RVL_SetGrid(int32_t) {}
extern "C" void RVL_SetGridSpacing(int32_t) __attribute__((alias("RVL_SetGrid")));
