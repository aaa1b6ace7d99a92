#include "compose/view_mapping.h"

#include <algorithm>
#include <cmath>

namespace rvl {

namespace {

// Output pixels along one axis, limited to the view size (a negative size draws nothing).
int32_t limitTo(double wanted, int32_t viewSize) {
  const double limit = std::max(viewSize, 0);
  return int32_t(wanted > 0 ? std::min(wanted, limit) : 0);
}

// Shrunk axis: trunc(length * (1 / S) + start - 1) - start + 1, with 1 / S a float.
double shrunkLength(int32_t start, int32_t length, float inverse) {
  const float end = float(length) * inverse + float(start) - 1.0f;
  return std::trunc(double(end)) - start + 1;
}

}  // namespace

ViewMapping chooseViewMapping(int32_t x, int32_t y, int32_t width, int32_t height, int32_t whole,
                              float scale, int32_t viewWidth, int32_t viewHeight) {
  const float z = float(whole);
  ViewMapping m{ViewMappingKind::OneToOne, 1, 1.0f, 0, 0};
  if (std::isfinite(scale)) {
    if (z > scale && whole >= 1) {
      m.kind = ViewMappingKind::Magnify;
      m.zoom = whole;
    } else if (z < scale && scale > 0) {
      m.kind = ViewMappingKind::Shrink;
      m.step = scale;
    }
  }
  switch (m.kind) {
    case ViewMappingKind::OneToOne:
      m.columns = limitTo(width, viewWidth);
      m.rows = limitTo(height, viewHeight);
      break;
    case ViewMappingKind::Magnify:
      m.columns = limitTo(double(m.zoom) * width, viewWidth);
      m.rows = limitTo(double(m.zoom) * height, viewHeight);
      break;
    case ViewMappingKind::Shrink: {
      const float inverse = 1.0f / m.step;
      m.columns = limitTo(shrunkLength(x, width, inverse), viewWidth);
      m.rows = limitTo(shrunkLength(y, height, inverse), viewHeight);
      break;
    }
  }
  return m;
}

ViewAxis::ViewAxis(const ViewMapping& mapping, int32_t start, int32_t length)
    : kind_(mapping.kind),
      zoom_(mapping.zoom),
      step_(mapping.step),
      last_(start + std::max(length, 1) - 1),
      position_(start) {}

void ViewAxis::advance() {
  switch (kind_) {
    case ViewMappingKind::OneToOne:
      if (position_ < last_) ++position_;
      break;
    case ViewMappingKind::Magnify:
      if (++repeats_ >= zoom_) {
        repeats_ = 0;
        if (position_ < last_) ++position_;
      }
      break;
    case ViewMappingKind::Shrink: {
      const float sum = remainder_ + step_;
      const float whole = std::trunc(sum);
      remainder_ = sum - whole;
      // A step past the end of the rectangle stays on its last pixel.
      position_ = int32_t(std::min<double>(double(position_) + whole, last_));
      break;
    }
  }
}

int32_t shrunkMaskRow(const ViewMapping& mapping, int32_t j, int32_t y, int32_t pageHeight) {
  const double row = std::trunc(double(float(j) * mapping.step + float(y)));
  return int32_t(std::clamp(row, 0.0, double(std::max(pageHeight - 1, 0))));
}

}  // namespace rvl
