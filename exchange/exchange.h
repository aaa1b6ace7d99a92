// Image exchange: the transfer image (the new RGBA) and the helpers the file exports
// share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "external/imaging/file_read.h"
#include "frame/allocator.h"
#include "frame/buffer.h"
#include "platform/global_memory.h"

namespace rvl {

// The new RGBA: one engine-owned RGBA32 picture, rows of width × 4 bytes (red, green,
// blue, alpha). Width and height keep their last values after a delete.
struct NewRGBA {
  Buffer<uint8_t> pixels;  // null: no picture
  int32_t width;
  int32_t height;
};

extern NewRGBA newRGBA;

// Deletes the current pixels and allocates width × height × 4 uninitialised bytes (the
// caller fills them all). False, with the last error text "CreateNewRGBA Excpt", when
// the block cannot be had; the new RGBA is then empty.
bool createNewRGBA(int32_t width, int32_t height);
// Frees the pixels (width and height stay).
void deleteNewRGBA();
// The new RGBA empty and sizes 0; the imaging library's JPEG settings back to defaults.
void resetExchangeState();

// True when extension (with its dot) is the same text as wanted, ignoring ASCII case.
bool sameExtension(const char* extension, const char* wanted);

// The brush colour as a 0x00BBGGRR value (the high bytes of the 16-bit channels): the
// background metafiles are rendered on.
uint32_t brushColourValue();

// A picture block from the imaging library, freed with the global free when it goes.
struct LibraryPicture {
  platform::GlobalBlock block = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  bool rgb24 = false;  // 3 bytes per pixel (a rendered metafile, or asked for)
  LibraryPicture() = default;
  LibraryPicture(const LibraryPicture&) = delete;
  LibraryPicture& operator=(const LibraryPicture&) = delete;
  ~LibraryPicture() { platform::globalFree(block); }
  const uint8_t* pixels() const { return static_cast<const uint8_t*>(platform::globalLock(block)); }
};

// Reads the picture file at path: metafiles (type codes 7 and 8) rendered at the page
// size on the brush colour as RGB24, every other type by the generic reader as RGBA32
// (rgba) or RGB24. The block stays null when the file cannot be opened or read.
void readExchangePicture(const char* path, bool rgba, LibraryPicture& picture);

// An engine block that is freed when it goes out of scope; raises OutOfMemory when it
// cannot be had.
class EngineBuffer {
 public:
  explicit EngineBuffer(size_t bytes) : data_(allocArrayOrThrow<uint8_t>(bytes ? bytes : 1)) {}
  EngineBuffer(const EngineBuffer&) = delete;
  EngineBuffer& operator=(const EngineBuffer&) = delete;
  ~EngineBuffer() { release(data_); }
  uint8_t* data() { return data_; }

 private:
  uint8_t* data_;
};

}  // namespace rvl
