// Imaging library: picture file writing. A destination is opened on a path, given one
// whole picture by a writer or row by row through a line writer, and closed. Pixel rows
// come top row first as RGB24 (24 bits per pixel), RGBA32 (32), 8-bit grey or palette
// indices (8), each with its row length in bytes. Every call accepts a null destination or
// line writer and then does nothing and returns 0, so a failed open can be passed on.
// Non-zero means success.
#pragma once

#include <cstdint>

namespace rvl::imaging {

struct DestinationData;
using DestinationHandle = DestinationData*;  // null: no destination
struct LineWriterData;
using LineWriterHandle = LineWriterData*;    // null: no line writer

// Resolution of whole-picture writers: horizontal, vertical, unit code. A null record
// writes no resolution. Units per format:
//   BMP   1 = per centimetre, anything else = pixels per metre (the file's own unit)
//   JPEG  JFIF: 0 = aspect ratio only, 1 = per inch, 2 = per centimetre
//   PNG   pHYs: 0 = aspect ratio only, 1 = per metre
//   TIFF  ResolutionUnit: 1 = none, 2 = per inch, 3 = per centimetre
//   PSD   2 = per inch, 3 = per centimetre
struct WriteResolution {
  uint32_t x;
  uint32_t y;
  uint32_t unit;
};
// Resolution of the line writers: the same with fractional values (rounded to the
// nearest whole number where the format stores whole numbers).
struct LineResolution {
  double x;
  double y;
  uint32_t unit;
};

// Creates (or empties) the file at path for writing; null when it cannot be created.
// flags is reserved (0).
DestinationHandle IS3OpenFileDest(const char* path, uint32_t flags);
// Closes the destination; non-zero when every byte given to it reached the file.
uint32_t IS3CloseDest(DestinationHandle destination);

// ---- whole-picture writers (rows top first; flags reserved, 0) ----
// Palettes are 256 entries of red, green, blue bytes (768 bytes); paletteColours entries
// of it are used.

// BMP of 8 (palette indices), 24 or 32 bits (alpha kept in the fourth byte).
uint32_t IS3WriteBMP(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t bitsPerPixel, uint32_t rowBytes,
                     uint32_t paletteColours, const uint8_t* palette,
                     const WriteResolution* resolution, uint32_t flags);
// PNG of bit depth 8. colourType as PNG's: 0 grey, 2 RGB, 3 palette indices, 4 grey and
// alpha, 6 RGBA. paletteColours and palette serve type 3. gamma: 0 stores none, else the
// file gamma (0.45455 for sRGB). interlace: 0 none, 1 Adam7.
uint32_t IS3WritePNG(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitDepth,
                     uint32_t paletteColours, const uint8_t* palette, uint32_t colourType,
                     double gamma, uint32_t interlace, const WriteResolution* resolution,
                     uint32_t flags);
// Baseline JPEG at quality 1 to 100 of 24 bits (RGB24), 32 (RGBA32, alpha dropped) or 8
// (grey), with the JPEG settings below.
uint32_t IS3WriteJPG(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t quality, uint32_t bitsPerPixel,
                     const WriteResolution* resolution, uint32_t flags);
// GIF of 8-bit palette indices. transparentIndex: the palette entry shown transparent,
// or −1 for none.
uint32_t IS3WriteGIF(DestinationHandle destination, const uint8_t* indices, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     uint32_t paletteColours, const uint8_t* palette, int32_t transparentIndex,
                     uint32_t flags);
// PCX, run-length coded, of 24 bits (three planes) or 8 bits (indices and a 256-colour
// palette).
uint32_t IS3WritePCX(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     const uint8_t* palette, uint32_t flags);
// PSD composite of 24 bits (RGB) or 32 bits (RGB and alpha), RLE compressed.
uint32_t IS3WritePSD(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     const WriteResolution* resolution, uint32_t flags);
// TGA of 24 or 32 bits, top row first in the file, uncompressed.
uint32_t IS3WriteTGA(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel, uint32_t flags);
// TIFF of 24 or 32 bits (alpha as unassociated extra sample) or 8 (grey). compression as
// TIFF's codes: 0 or 1 none, 5 LZW, 8 Deflate, 32773 PackBits.
uint32_t IS3WriteTIFF(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                      uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                      uint32_t compression, const WriteResolution* resolution, uint32_t flags);
// Enhanced metafile holding the picture (24 bits) as one stretched-bitmap record whose
// bounds are the picture's size.
uint32_t IS3WriteEMF(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel, uint32_t flags);

// ---- line writers: init on an open destination, one row per next-line call in the
// order the format stores them, then destroy; the destination is closed afterwards ----

// BMP rows bottom row first (the file's order). Settings as IS3WriteBMP.
LineWriterHandle IS3InitWriteBMPLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t bitsPerPixel,
                                      uint32_t paletteColours, const uint8_t* palette,
                                      const LineResolution* resolution, uint32_t flags);
// PNG rows top first. Settings as IS3WritePNG.
LineWriterHandle IS3InitWritePNGLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t rowBytes, uint32_t bitDepth,
                                      uint32_t paletteColours, const uint8_t* palette,
                                      uint32_t colourType, double gamma, uint32_t interlace,
                                      const LineResolution* resolution, uint32_t flags);
// JPEG rows top first. Settings as IS3WriteJPG.
LineWriterHandle IS3InitWriteJPGLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t quality, uint32_t bitsPerPixel,
                                      const LineResolution* resolution, uint32_t flags);
// TGA rows top first, 24 or 32 bits; rle non-zero codes the rows run-length.
LineWriterHandle IS3InitWriteTGALines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t bitsPerPixel, uint32_t rle,
                                      uint32_t flags);
// TIFF rows top first. palette is reserved (null); compression as IS3WriteTIFF.
LineWriterHandle IS3InitWriteTIFFLines(DestinationHandle destination, uint32_t width,
                                       uint32_t height, uint32_t bitsPerPixel,
                                       const uint8_t* palette, uint32_t compression,
                                       const LineResolution* resolution, uint32_t flags);
// Gives the writer its next row; non-zero when it was taken. Rows after the last are
// refused.
uint32_t IS3WriteNextLine(LineWriterHandle writer, const uint8_t* row);
// Ends the picture and releases the writer; non-zero when every row was given and the
// picture was completed.
uint32_t IS3DestroyWriteLines(LineWriterHandle writer);

// ---- JPEG settings: kept for every later JPEG write ----
// DCT method: 0 the default (1), 1 accurate integer, 2 fast integer, 3 floating point.
uint32_t IS3SetJPGDCTMethod(uint32_t method);
// Smoothing factor 0 (none) to 100.
uint32_t IS3SetJPGSmoothingFactor(uint32_t factor);
// Sampling factors per component (ten entries each, 1 to 4 each; 0 ends the list; a
// null table keeps the library's choice, 2 × 2 for the first component).
uint32_t IS3SetJPGSampleFactors(const uint32_t horizontal[10], const uint32_t vertical[10]);
// Returns every JPEG setting to its default.
void resetJPGSettings();

// ---- colour quantising for palette formats ----
// Reduces an RGB24 image to at most maxColours (2 to 256) colours: indices go into dst
// (rows of dstPitch bytes), the palette (red, green, blue bytes) into palette, which holds
// 256 entries, unused entries zero. dither: 0 none, non-zero error diffusion. minQuality:
// 0 to 100, the least quality accepted (the call fails below it). flags reserved (0).
// Returns the number of colours used, 0 on failure.
uint32_t IS3RGBToPalette(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t rgbPitch,
                         uint8_t* dst, uint32_t dstPitch, uint32_t maxColours, uint8_t* palette,
                         uint32_t dither, uint32_t minQuality, uint32_t flags);

}  // namespace rvl::imaging
