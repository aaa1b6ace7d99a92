// Imaging library: resampling and overlay of packed images.
//
// Formats by bytes per pixel: 1 (8-bit grey), 2 (16-bit grey), 3 (RGB24), 4 (RGBA32) and
// 8 (RGBA64, four 16-bit channels). Source and destination share the format. Images with
// 16-bit channels must start on an even address and have an even pitch. Every call returns
// non-zero on success and 0, touching nothing, for a null buffer, a size below 1 or above
// 2^31 − 1, a pitch smaller than width × bytes per pixel, an unsupported format or mode.
// Source and destination must not overlap.
#pragma once

#include <cstdint>

namespace rvl::imaging {

// Resampling modes of IS3DecimateImage.
inline constexpr uint32_t kDecimateNearest = 0;
inline constexpr uint32_t kDecimateAverage = 1;

// Shrinks src (w × h) into dst (dw × dh). Mode 1 averages the source area under every
// destination pixel (an exact block mean, rounded, for whole-number factors); mode 0 picks
// the nearest source pixel. A destination as large as or larger than the source is
// resampled too (mode 1 then interpolates bilinearly).
uint32_t IS3DecimateImage(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                          uint32_t dw, uint32_t dh, uint32_t dstPitch, uint32_t bytesPerPixel,
                          uint32_t mode);

// Enlarges src into dst with bilinear interpolation (shrinking works too, without
// averaging).
uint32_t IS3ResizeImage(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                        uint32_t dw, uint32_t dh, uint32_t dstPitch, uint32_t bytesPerPixel);

// As IS3ResizeImage with bicubic interpolation; results are clamped to the channel range
// (0..255 or 0..65535), so overshoot at edges never wraps.
uint32_t IS3ResizeImageBicubic(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch,
                               void* dst, uint32_t dw, uint32_t dh, uint32_t dstPitch,
                               uint32_t bytesPerPixel);

// Lays src (srcW × srcH) over dst (dstW × dstH) with its top-left pixel at (x, y) of dst;
// x and y may be negative, and only the part that falls inside dst is written. With
// opacity 1 (or more) the overlapping rectangle is copied exactly; below 1 every channel,
// alpha included, becomes src × opacity + dst × (1 − opacity), rounded to the nearest value
// (the opacity is taken in steps of 1/65536); at 0 or below nothing changes. flags is
// reserved: callers pass 0 or 1, and both mean the plain copy or blend above. A src that
// misses dst entirely is not an error: nothing is written and the result is non-zero.
// A NaN opacity is a bad argument.
uint32_t IS3OverlayImage(void* dst, uint32_t dstW, uint32_t dstH, uint32_t bytesPerPixel,
                         uint32_t dstPitch, const void* src, uint32_t srcW, uint32_t srcH,
                         uint32_t srcPitch, int32_t x, int32_t y, double opacity,
                         uint32_t flags);

}  // namespace rvl::imaging
