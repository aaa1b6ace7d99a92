// The enhanced-metafile records the metafile writer makes and the metafile reader
// renders (internal to the imaging library).
#pragma once

#include <cstdint>

namespace rvl::imaging::emf {

inline constexpr uint32_t kHeader = 1;
inline constexpr uint32_t kEndOfFile = 14;
inline constexpr uint32_t kStretchDIBits = 81;
inline constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr uint32_t kHeaderSize = 108;        // with both header extensions
inline constexpr uint32_t kStretchFixedSize = 80;   // before the bitmap info
inline constexpr uint32_t kEndOfFileSize = 20;
inline constexpr uint32_t kSourceCopy = 0x00CC0020;

// Offsets within the stretched-bitmap record.
inline constexpr uint32_t kXDest = 24, kYDest = 28, kXSrc = 32, kYSrc = 36, kCxSrc = 40,
                          kCySrc = 44, kOffBmi = 48, kCbBmi = 52, kOffBits = 56, kCbBits = 60,
                          kUsage = 64, kRop = 68, kCxDest = 72, kCyDest = 76;

}  // namespace rvl::imaging::emf
