// Imaging library: conversions between RGBA32, BGRA32, RGB24, channel planes and 8-bit
// grey. All buffers are packed rows, top row first, with the row pitch in bytes; 8-bit
// planes have one byte per pixel. Every call returns non-zero on success and 0, touching
// nothing, for a null buffer, a size below 1, a pitch smaller than width × bytes per pixel
// or an unsupported bytes-per-pixel value. Source and destination must not overlap.
#pragma once

#include <cstdint>

namespace rvl::imaging {

// Swaps the first and third byte of every 4-byte pixel in place: RGBA32 becomes BGRA32
// and, applied again, RGBA32 once more.
uint32_t IS3RGBAToBGRA(uint8_t* image, uint32_t width, uint32_t height, uint32_t pitch);

// RGB24 into RGBA32, every alpha 255.
uint32_t IS3RGBToRGBA(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t rgbPitch,
                      uint8_t* rgba, uint32_t rgbaPitch);

// RGBA32 into RGB24 and an 8-bit alpha plane. alpha may be null: the alpha is dropped
// (alphaPitch is then not checked).
uint32_t IS3RGBAToRGBPlusAlpha(const uint8_t* rgba, uint32_t width, uint32_t height,
                               uint32_t rgbaPitch, uint8_t* rgb, uint32_t rgbPitch,
                               uint8_t* alpha, uint32_t alphaPitch);

// Splits an RGB24 (bytesPerPixel 3) or RGBA32 (4) image into 8-bit planes: planes[0]
// receives red, [1] green, [2] blue, [3] alpha. Null entries are skipped; with 3 bytes
// per pixel the alpha entry is not used. planes itself must not be null.
uint32_t IS3SplitImage(const uint8_t* image, uint32_t width, uint32_t height,
                       uint32_t bytesPerPixel, uint32_t pitch, uint8_t* const planes[4],
                       uint32_t planePitch);

// The inverse of IS3SplitImage, with the same argument order (the image first): each
// non-null plane of planes (red, green, blue, alpha) is written into its channel of the
// image; the channel of a null entry keeps its values. One plane may be given for
// several channels (a grey plane as red, green and blue).
uint32_t IS3CombineImageChannels(uint8_t* image, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t pitch,
                                 const uint8_t* const planes[4], uint32_t planePitch);

// 8-bit grey of an RGB24 (bytesPerPixel 3) or RGBA32 (4) image, alpha ignored:
// grey = (77 R + 150 G + 29 B + 128) >> 8, so white stays 255 and black 0. flags is
// reserved (0).
uint32_t IS3ImageToGrayScale8Bit(const uint8_t* src, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t srcPitch, uint8_t* dst,
                                 uint32_t dstPitch, uint32_t flags);

}  // namespace rvl::imaging
