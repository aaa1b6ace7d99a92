// The imaging library's door to OpenCV. No OpenCV type or exception passes it: views go
// in, failures come back as 0 with the last error recorded. The views are wrapped as
// cv::Mat headers over the caller's memory, never copied.
#pragma once

#include <cstdint>

#include "external/imaging/image_view.h"

namespace rvl::imaging {

enum class Resampling { Nearest, Area, Bilinear, Bicubic };

// Resamples src into dst, both valid views of the same geometry format (1, 2, 3, 4 or 8
// bytes per pixel). Non-zero on success.
uint32_t resampleWithOpenCV(ConstImageView src, ImageView dst, Resampling how) noexcept;

// Gaussian blur of src into dst (same size and format, 1, 3 or 4 bytes per pixel; dst may
// be src), sigma in pixels, edges repeating the border pixel. Non-zero on success.
uint32_t gaussianBlurWithOpenCV(ConstImageView src, ImageView dst, double sigma) noexcept;

}  // namespace rvl::imaging
