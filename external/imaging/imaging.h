// The imaging library: file reading and writing, conversions, resampling, drawing and
// effects on packed pixel buffers. The engine calls it by the family headers below.
//
// Conventions every function keeps:
//  - Pixel buffers are packed rows, top row first, given as address, width, height,
//    bytes per pixel where asked, and row pitch in bytes. Formats: RGBA32 (red, green,
//    blue, alpha), RGB24, 8-bit grey, and RGBA64 for the 16-bit resamplers.
//  - Results go into buffers the caller allocates, except the whole-file readers and
//    bitmap converters, which return a global-memory block (platform/global_memory.h)
//    the caller releases with the platform's global free.
//  - File source and destination handles are closed on every path.
//  - A result of non-zero means success. Bad arguments (null buffers, sizes below 1,
//    pitches too small for the width) fail with 0 and touch nothing.
//  - Errors of the third-party libraries stay inside their glue unit; the last one can
//    be read with IS3GetLastError.
#pragma once

#include "external/imaging/compression.h"
#include "external/imaging/conversion.h"
#include "external/imaging/file_read.h"
#include "external/imaging/file_write.h"
#include "external/imaging/geometry.h"
#include "external/imaging/library.h"
#include "external/imaging/effects.h"
