// How output pixels of the view map onto page pixels: one to one, magnified by a whole
// factor (pixel replication) or shrunk by a fractional step (point sampling).
#pragma once

#include <cstdint>

namespace rvl {

enum class ViewMappingKind : uint8_t { OneToOne, Magnify, Shrink };

struct ViewMapping {
  ViewMappingKind kind;
  int32_t zoom;     // the whole factor Z (magnify)
  float step;       // the step S (shrink)
  int32_t columns;  // output size, already limited to the view size
  int32_t rows;
};

// The mapping for the clipped, non-empty page rectangle (x, y, width, height), from the
// whole factor Z and the step S: Z = S one to one, Z > S magnify, Z < S shrink. A setting
// that cannot be drawn (S not a finite number, a magnification below 1, a step of 0 or
// less) is drawn one to one.
ViewMapping chooseViewMapping(int32_t x, int32_t y, int32_t width, int32_t height, int32_t whole,
                              float scale, int32_t viewWidth, int32_t viewHeight);

// Page positions along one axis, output pixel by output pixel; never outside
// start .. start + length - 1.
class ViewAxis {
 public:
  ViewAxis(const ViewMapping& mapping, int32_t start, int32_t length);
  int32_t position() const { return position_; }
  void advance();

 private:
  ViewMappingKind kind_;
  int32_t zoom_;
  float step_;
  int32_t last_;
  int32_t position_;
  int32_t repeats_ = 0;     // output pixels shown so far at this position (magnify)
  float remainder_ = 0.0f;  // the fractional part of the steps so far (shrink)
};

// The page row the mask value of shrunk output row j comes from: trunc(j * S + y), held
// inside the page's rows.
int32_t shrunkMaskRow(const ViewMapping& mapping, int32_t j, int32_t y, int32_t pageHeight);

}  // namespace rvl
