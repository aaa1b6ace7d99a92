// The imaging library's door to OpenCV. No OpenCV type or exception passes it: failures
// come back as 0 with the last error recorded.
#pragma once

#include <cstdint>

namespace rvl::imaging {

enum class Resampling { Nearest, Area, Bilinear, Bicubic };

// Resamples src into dst, both already checked by the caller (same format, one of the
// geometry family's; pitches large enough; sizes within range). Non-zero on success.
uint32_t resampleWithOpenCV(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch,
                            void* dst, uint32_t dw, uint32_t dh, uint32_t dstPitch,
                            uint32_t bytesPerPixel, Resampling how) noexcept;

// Gaussian blur of src into dst (may be the same buffer), sigma in pixels. Non-zero on
// success.
uint32_t gaussianBlurWithOpenCV(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                                uint32_t dstPitch, uint32_t bytesPerPixel, double sigma) noexcept;

}  // namespace rvl::imaging
