// Image views: how the imaging library's pixel calls see a caller's buffer (internal to
// the library).
//
// Every pixel call is a thin adapter over a kernel:
//
//   uint32_t IS3Something(const uint8_t* src, uint32_t w, uint32_t h, uint32_t srcPitch,
//                         uint8_t* dst, uint32_t dstPitch) {
//     const ConstImageView in = imageView(src, w, h, srcPitch, 4);   // 1. build views
//     const ImageView out = imageView(dst, w, h, dstPitch, 4);
//     if (!validView(in, kRGBA32) || !validView(out, kRGBA32))      // 2. validate
//       return badArgument();
//     somethingKernel(in, out);                                      // 3. run the kernel
//     return 1;
//   }
//
// A kernel takes views that passed validView and does no argument checks of its own;
// arguments that are not buffers (modes, strengths, opacity) are checked by the adapter
// before it runs the kernel. docs/imaging.md lists every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "external/imaging/library.h"

namespace rvl::imaging {

// The largest width or height any pixel call accepts: sizes stay positive as 32-bit
// signed values, which OpenCV needs.
inline constexpr int64_t kMaxSide = 0x7fffffff;

// A packed image in someone else's memory: rows of width pixels of bytesPerPixel bytes,
// top row first, pitch bytes from the start of one row to the start of the next. The
// fields are wide enough to hold every 32-bit argument, signed or not, exactly, so a
// value out of range is seen as such by validView instead of wrapping.
template <class Byte>
struct BasicImageView {
  Byte* data = nullptr;
  int64_t width = 0;
  int64_t height = 0;
  int64_t pitch = 0;
  int64_t bytesPerPixel = 0;

  // Row y and pixel (x, y); only for a valid view and coordinates inside it.
  Byte* row(int64_t y) const { return data + static_cast<ptrdiff_t>(y * pitch); }
  Byte* at(int64_t x, int64_t y) const { return row(y) + static_cast<ptrdiff_t>(x * bytesPerPixel); }
  // The bytes of one row that hold pixels (the rest of the pitch is not ours).
  size_t rowBytes() const { return static_cast<size_t>(width * bytesPerPixel); }
  // The w × h part of the view whose top-left pixel is (x, y); it must lie inside.
  BasicImageView part(int64_t x, int64_t y, int64_t w, int64_t h) const {
    return {at(x, y), w, h, pitch, bytesPerPixel};
  }

  // A view of writable pixels can be read through too.
  operator BasicImageView<const uint8_t>() const
    requires(!std::is_const_v<Byte>)
  {
    return {data, width, height, pitch, bytesPerPixel};
  }
};

using ImageView = BasicImageView<uint8_t>;
using ConstImageView = BasicImageView<const uint8_t>;

inline ImageView imageView(void* data, int64_t width, int64_t height, int64_t pitch,
                           int64_t bytesPerPixel) {
  return {static_cast<uint8_t*>(data), width, height, pitch, bytesPerPixel};
}
inline ConstImageView imageView(const void* data, int64_t width, int64_t height, int64_t pitch,
                                int64_t bytesPerPixel) {
  return {static_cast<const uint8_t*>(data), width, height, pitch, bytesPerPixel};
}

// The bytes-per-pixel values a call accepts, as a set: bit n stands for n bytes.
using PixelSizes = uint32_t;
inline constexpr PixelSizes kGrey8 = 1u << 1;    // 8-bit grey, planes, palette indices
inline constexpr PixelSizes kGrey16 = 1u << 2;   // 16-bit grey (or grey and alpha, 8-bit)
inline constexpr PixelSizes kRGB24 = 1u << 3;
inline constexpr PixelSizes kRGBA32 = 1u << 4;
inline constexpr PixelSizes kRGBA64 = 1u << 8;   // four 16-bit channels
// The formats of the geometry family.
inline constexpr PixelSizes kGeometryFormats = kGrey8 | kGrey16 | kRGB24 | kRGBA32 | kRGBA64;

// Whether the formats with 16-bit channels apply: 2 and 8 bytes per pixel are then read
// as 16-bit values and must be aligned for them.
enum class Channels { Bytes, Wide16 };

// The one argument check of every pixel buffer. A view passes when
//  - data is not null,
//  - width and height are in 1..kMaxSide,
//  - bytesPerPixel is in allowed,
//  - pitch is at least width × bytesPerPixel (so rows never overlap),
//  - the last byte, (height − 1) × pitch + width × bytesPerPixel − 1 bytes past data,
//    can be addressed without overflow,
//  - and, with Channels::Wide16 and 2 or 8 bytes per pixel, data and pitch are even.
// The buffer's real length cannot be checked: the caller vouches for it.
bool validView(ConstImageView view, PixelSizes allowed, Channels channels = Channels::Bytes);

// Records a bad argument and gives the failure result.
inline uint32_t badArgument() {
  setLastError(kBadArgument);
  return 0;
}

}  // namespace rvl::imaging
