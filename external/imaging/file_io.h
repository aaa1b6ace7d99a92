// Byte-level plumbing the file families share (internal to the imaging library): the
// source and destination records behind the handles, bounded byte buffers, little- and
// big-endian field readers, and the picture blocks the readers hand back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "external/imaging/file_read.h"
#include "external/imaging/file_write.h"
#include "external/imaging/image_view.h"
#include "external/imaging/library.h"
#include "external/imaging/memory.h"
#include "platform/global_memory.h"

namespace rvl::imaging {

// The largest picture side any reader decodes.
inline constexpr uint32_t kMaxPictureSide = 10000;
// The largest source a reader takes into memory (every format's file stays far below it
// for a picture within kMaxPictureSide).
inline constexpr uint64_t kMaxSourceBytes = uint64_t(1) << 30;

struct SourceData {
  FILE* file;             // a file source, or
  const uint8_t* memory;  // a memory source (not owned)
  uint64_t size;
  uint64_t position;      // of the memory source; files keep their own
};

struct DestinationData {
  FILE* file;
  bool failed;  // a write did not complete
};

// Bytes owned through the library's allocator (memory.h).
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(size_t count) : data_(static_cast<uint8_t*>(allocate(count))),
                                 size_(data_ ? count : 0) {}
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;
  Bytes(Bytes&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  Bytes& operator=(Bytes&& other) noexcept {
    if (this != &other) {
      deallocate(data_);
      data_ = other.data_;
      size_ = other.size_;
      other.data_ = nullptr;
      other.size_ = 0;
    }
    return *this;
  }
  ~Bytes() { deallocate(data_); }
  explicit operator bool() const { return data_ != nullptr; }
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// Everything from the source's position to its end; an empty Bytes (false) when the
// source cannot be read, is larger than kMaxSourceBytes or memory runs out (the last
// error says which). The position moves to the end.
Bytes readRest(SourceHandle source);

// Reads count bytes at the position; false when fewer were there.
bool sourceRead(SourceHandle source, void* buffer, size_t count);
uint64_t sourceTell(SourceHandle source);

// Appends bytes to the destination; false (and the destination marked failed) when the
// system refused them.
bool destinationWrite(DestinationHandle destination, const void* data, size_t count);

// A view of a byte range with bounds-checked field reads: a read past the end gives 0 and
// marks the view bad, so a decoder checks ok() once after a group of reads.
class ByteView {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  bool ok() const { return ok_; }
  bool has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
  uint8_t u8(size_t at) { return has(at, 1) ? data_[at] : fail(); }
  uint16_t le16(size_t at) {
    return has(at, 2) ? uint16_t(data_[at] | data_[at + 1] << 8) : fail();
  }
  uint32_t le32(size_t at) {
    return has(at, 4) ? uint32_t(data_[at]) | uint32_t(data_[at + 1]) << 8 |
                            uint32_t(data_[at + 2]) << 16 | uint32_t(data_[at + 3]) << 24
                      : fail();
  }
  uint16_t be16(size_t at) {
    return has(at, 2) ? uint16_t(data_[at] << 8 | data_[at + 1]) : fail();
  }
  uint32_t be32(size_t at) {
    return has(at, 4) ? uint32_t(data_[at]) << 24 | uint32_t(data_[at + 1]) << 16 |
                            uint32_t(data_[at + 2]) << 8 | uint32_t(data_[at + 3])
                      : fail();
  }

 private:
  uint8_t fail() {
    ok_ = false;
    return 0;
  }
  const uint8_t* data_;
  size_t size_;
  bool ok_ = true;
};

// Little- and big-endian field writers for headers built in memory.
inline void putLE16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void putLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void putBE16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
inline void putBE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// Both sides in 1..kMaxPictureSide.
inline bool pictureSizeOk(uint64_t width, uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// A decoded RGBA32 picture on its way out of a reader.
struct Picture {
  platform::GlobalBlock block = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t* pixels() { return static_cast<uint8_t*>(platform::globalLock(block)); }
  uint8_t* row(uint32_t y) { return pixels() + size_t(y) * width * 4; }
};

// Allocates the RGBA32 block of a width × height picture (sizes already checked); false
// with the last error kOutOfMemory when it cannot be had.
bool allocatePicture(Picture& picture, uint32_t width, uint32_t height);

// Hands a decoded RGBA32 picture to the caller as bytesPerPixel 4 (unchanged) or 3 (alpha
// dropped, a new block); the width and height go out through the pointers. Null (the
// picture released) when memory runs out.
platform::GlobalBlock finishPicture(Picture& picture, uint32_t bytesPerPixel, uint32_t* width,
                                    uint32_t* height);

// Records code and gives null / 0: the failure result of the readers and writers.
inline platform::GlobalBlock noPicture(uint32_t code) {
  setLastError(code);
  return nullptr;
}
inline uint32_t failed(uint32_t code) {
  setLastError(code);
  return 0;
}

// Decoders of the directly coded formats, from the whole file in memory into an RGBA32
// picture; false with the last error set for data they refuse.
bool decodeBMP(ByteView file, Picture& out);
bool decodeTGA(ByteView file, Picture& out);
bool decodePCX(ByteView file, Picture& out);
bool decodePSD(ByteView file, Picture& out);
// A device-independent bitmap: its info header (with colour table or masks) and its bits,
// as a BMP file or a metafile bitmap record holds them.
bool decodeDIB(ByteView info, ByteView bits, Picture& out);
// Decoders of the library-backed formats (one glue unit each).
bool decodePNG(ByteView file, Picture& out);
bool decodeJPEG(ByteView file, Picture& out);
bool decodeTIFF(ByteView file, Picture& out);
bool decodeGIF(ByteView file, Picture& out);

// Type guess of bytes at the start of a file (kTypeUnknown when none fits).
uint32_t guessType(ByteView head);

// The line writers behind LineWriterHandle: one subclass per format.
struct LineWriterData {
  virtual ~LineWriterData() = default;
  // Takes the next row; false when it could not be written.
  virtual bool writeLine(const uint8_t* row) = 0;
  // Ends the picture after its last row; false when the file could not be completed.
  virtual bool finish() = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t rowsWritten = 0;
  bool failedOnce = false;
};

// A new line writer of type T for a width × height picture (through the library's
// allocator); null with kOutOfMemory when it cannot be had.
template <class T>
T* makeLineWriter(uint32_t width, uint32_t height) {
  void* memory = allocate(sizeof(T));
  if (!memory) return setLastError(kOutOfMemory), nullptr;
  T* writer = new (memory) T();
  writer->width = width;
  writer->height = height;
  return writer;
}
inline void destroyLineWriter(LineWriterData* writer) {
  if (!writer) return;
  writer->~LineWriterData();
  deallocate(writer);
}

// A zeroed working record of type T through the library's allocator, for the glue units'
// library structures; null with kOutOfMemory when it cannot be had.
template <class T>
T* makeJob() {
  void* memory = allocate(sizeof(T));
  if (!memory) return setLastError(kOutOfMemory), nullptr;
  return new (memory) T();
}
template <class T>
void destroyJob(T* job) {
  if (!job) return;
  job->~T();
  deallocate(job);
}

// Feeds a whole picture, a valid view, to a line writer (rows top first, or bottom
// first when bottomUp) and destroys it; the whole-picture writers end here. Non-zero on
// success.
uint32_t writeAllLines(LineWriterHandle writer, ConstImageView rows, bool bottomUp);

// The rows a whole-picture writer is given: width pixels of bitsPerPixel / 8 bytes in
// rows of rowBytes. False (and nothing to write) unless that is a valid view of one of
// the byte sizes in allowed.
inline bool writerRows(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t rowBytes,
                       uint32_t bytesPerPixel, PixelSizes allowed, ConstImageView& rows) {
  rows = imageView(pixels, width, height, rowBytes, bytesPerPixel);
  return validView(rows, allowed);
}

// Copies a row of RGB24 / RGBA32 into BGR24 / BGRA32 (bytesPerPixel 3 or 4).
inline void swapRedBlue(const uint8_t* in, uint8_t* out, uint32_t width, uint32_t bytesPerPixel) {
  for (uint32_t x = 0; x < width; ++x, in += bytesPerPixel, out += bytesPerPixel) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (bytesPerPixel == 4) out[3] = in[3];
  }
}

}  // namespace rvl::imaging
