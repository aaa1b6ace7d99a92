// Imaging library: picture file reading. A source is opened on a file (or a memory
// range), its type guessed from its first bytes, and a reader decodes the picture into a
// global-memory block (platform/global_memory.h) that the caller releases with
// platform::globalFree. Readers start at the source's position, so after a guess the
// caller seeks back to the start.
//
// Every reader refuses (null or 0, with the last error set) a malformed or truncated
// file, a picture wider or taller than 10000 pixels, and header fields that claim more
// data than the file holds. Decoded pictures are RGBA32 (red, green, blue, alpha) or RGB24
// rows, top row first, without padding.
#pragma once

#include <cstdint>

#include "platform/global_memory.h"

namespace rvl::imaging {

struct SourceData;
using SourceHandle = SourceData*;  // null: no source

// File type codes of IS3GuessFileType.
enum FileType : uint32_t {
  kTypeUnknown = 0,
  kTypeBMP = 1,
  kTypePCX = 2,
  kTypeJPEG = 3,
  kTypePNG = 4,
  kTypeGIF = 5,
  kTypeTIFF = 6,
  kTypeWMF = 7,   // Windows metafile (placeable or plain)
  kTypeEMF = 8,   // enhanced metafile
  kTypeTGA = 9,   // recognised last, by a plausible header (the format has no signature)
  kTypePSD = 10,
};

// Resolution of a file: horizontal and vertical values and the unit code in the file
// format's own convention:
//   BMP   2 = pixels per metre (what the file stores), 1 = per centimetre
//   JPEG  JFIF units: 0 = none (aspect ratio only), 1 = per inch, 2 = per centimetre
//   PNG   pHYs units: 0 = none, 1 = per metre
//   TIFF  ResolutionUnit: 1 = none, 2 = per inch, 3 = per centimetre
//   PSD   as TIFF: 2 = per inch, 3 = per centimetre (whole part of the stored value)
// Readers report 0, 0, 0 when the file stores no resolution.
struct Resolution {
  uint32_t x;
  uint32_t y;
  uint32_t unit;
};

// Opens a file for reading; null when it cannot be opened.
SourceHandle IS3OpenFileSource(const char* path);
// A source over length bytes at data, which must stay valid until the source is closed.
SourceHandle IS3OpenMemorySource(const void* data, uint32_t length);
// Closes the source (null is ignored); non-zero when a source was closed.
uint32_t IS3CloseSource(SourceHandle source);
// Moves the source's position: origin 0 from the start, 1 from the position, 2 from the
// end. Non-zero on success; a position outside the source fails and keeps the old one.
uint32_t IS3Seek(SourceHandle source, int64_t offset, uint32_t origin);

// The type of the picture at the source's position (a FileType code, kTypeUnknown when
// nothing fits). The position moves: seek back before reading.
uint32_t IS3GuessFileType(SourceHandle source);

// Size, bits per pixel and resolution of the picture at the position, from its header.
// Any output pointer may be null. Non-zero on success. TIFF reports its first page.
uint32_t IS3GetBMPDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution);
uint32_t IS3GetJPGDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution);
uint32_t IS3GetPNGDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution);
uint32_t IS3GetTIFFDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                              uint32_t* bitsPerPixel, Resolution* resolution);
uint32_t IS3GetPSDDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution);

// Format readers: the picture at the position as bytesPerPixel 4 (RGBA32) or 3 (RGB24,
// alpha dropped), its size through width and height. flags is reserved (0).
//  BMP   1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8, bit fields, bottom-up or top-down rows
//  TGA   colour-mapped, true-colour and grey, uncompressed or RLE, 8, 15, 16, 24, 32 bits
//  PCX   8 bits with its palette, 24 bits as three planes (a fourth plane is alpha)
//  PSD   the 8-bit composite of RGB or greyscale pictures, raw or RLE; a fourth (second,
//        for grey) channel is alpha
//  GIF   the first frame on the logical screen; the transparent colour gets alpha 0
//  TIFF  the first page, by libtiff's RGBA reader
//  JPEG  greyscale, RGB / YCbCr and CMYK, by libjpeg-turbo
//  PNG   every colour type and depth by libpng, 16-bit channels reduced to 8
platform::GlobalBlock IS3ReadBMP(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadTGA(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadPCX(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadPSD(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadGIF(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadTIFF(SourceHandle source, uint32_t* width, uint32_t* height,
                                  uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadJPG(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);
platform::GlobalBlock IS3ReadPNG(SourceHandle source, uint32_t* width, uint32_t* height,
                                 uint32_t bytesPerPixel, uint32_t flags);

// The generic readers: guess the type at the position and read with the matching format
// reader. Metafiles are not read here (see IS3ReadMetafile).
platform::GlobalBlock IS3ReadImageToRGBA(SourceHandle source, uint32_t* width, uint32_t* height,
                                         uint32_t flags);
platform::GlobalBlock IS3ReadImageToRGB(SourceHandle source, uint32_t* width, uint32_t* height,
                                        uint32_t flags);

// Renders the metafile at path as RGB24 of width × height on the background colour
// (0x00BBGGRR, red in the low byte); width or height 0 takes the metafile's own size. Only
// enhanced metafiles holding one bitmap record (what IS3WriteEMF makes) are rendered: the
// bitmap is scaled from the metafile's bounds onto the picture. Others are refused. The
// size rendered goes out through outWidth and outHeight. flags is reserved (0).
platform::GlobalBlock IS3ReadMetafile(const char* path, uint32_t width, uint32_t height,
                                      uint32_t background, uint32_t flags, uint32_t* outWidth,
                                      uint32_t* outHeight);

}  // namespace rvl::imaging
