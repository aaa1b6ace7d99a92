// File sources: open on a path or a memory range, seek, read, close; the type guess.
#include <new>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

SourceHandle newSource(FILE* file, const uint8_t* memory, uint64_t size) {
  void* record = allocate(sizeof(SourceData));
  if (!record) return nullptr;
  return new (record) SourceData{file, memory, size, 0};
}

bool matches(ByteView& head, size_t at, const char* text, size_t length) {
  return head.has(at, length) && std::memcmp(head.data() + at, text, length) == 0;
}

bool plausibleTGA(ByteView head) {
  if (head.size() < 18) return false;
  const uint32_t mapType = head.u8(1), type = head.u8(2), mapDepth = head.u8(7);
  const uint32_t width = head.le16(12), height = head.le16(14), depth = head.u8(16);
  const uint32_t descriptor = head.u8(17);
  if (mapType > 1 || width == 0 || height == 0 || (descriptor & 0xC0)) return false;
  const bool mapped = type == 1 || type == 9;
  if (!mapped && type != 2 && type != 3 && type != 10 && type != 11) return false;
  if (mapped != (mapType == 1)) return false;
  if (mapped && depth != 8) return false;
  if (mapType == 1 && mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32)
    return false;
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

}  // namespace

SourceHandle IS3OpenFileSource(const char* path) {
  if (!path || !*path) return failed(kBadArgument), nullptr;
  FILE* file = std::fopen(path, "rb");
  if (!file) return failed(kBadArgument), nullptr;
  if (fseeko(file, 0, SEEK_END) != 0) {
    std::fclose(file);
    return failed(kLibraryFailure), nullptr;
  }
  const off_t size = ftello(file);
  if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) {  // a directory, a pipe
    std::fclose(file);
    return failed(kBadArgument), nullptr;
  }
  SourceHandle source = newSource(file, nullptr, uint64_t(size));
  if (!source) {
    std::fclose(file);
    setLastError(kOutOfMemory);
  }
  return source;
}

SourceHandle IS3OpenMemorySource(const void* data, uint32_t length) {
  if (!data && length) return failed(kBadArgument), nullptr;
  SourceHandle source = newSource(nullptr, static_cast<const uint8_t*>(data), length);
  if (!source) setLastError(kOutOfMemory);
  return source;
}

uint32_t IS3CloseSource(SourceHandle source) {
  if (!source) return 0;
  if (source->file) std::fclose(source->file);
  source->~SourceData();
  deallocate(source);
  return 1;
}

uint64_t sourceTell(SourceHandle source) {
  if (!source) return 0;
  if (!source->file) return source->position;
  const off_t at = ftello(source->file);
  return at < 0 ? 0 : uint64_t(at);
}

uint32_t IS3Seek(SourceHandle source, int64_t offset, uint32_t origin) {
  if (!source || origin > 2) return failed(kBadArgument);
  const int64_t base = origin == 0 ? 0 : origin == 1 ? int64_t(sourceTell(source))
                                                     : int64_t(source->size);
  if ((offset > 0 && base > INT64_MAX - offset)) return failed(kBadArgument);
  const int64_t target = base + offset;
  if (target < 0 || uint64_t(target) > source->size) return failed(kBadArgument);
  if (!source->file) {
    source->position = uint64_t(target);
    return 1;
  }
  return fseeko(source->file, off_t(target), SEEK_SET) == 0 ? 1 : failed(kLibraryFailure);
}

bool sourceRead(SourceHandle source, void* buffer, size_t count) {
  if (!source) return false;
  if (source->file) return std::fread(buffer, 1, count, source->file) == count;
  if (source->position > source->size || count > source->size - source->position) return false;
  if (count) std::memcpy(buffer, source->memory + source->position, count);
  source->position += count;
  return true;
}

Bytes readRest(SourceHandle source) {
  if (!source) return setLastError(kBadArgument), Bytes();
  const uint64_t at = sourceTell(source);
  const uint64_t rest = at <= source->size ? source->size - at : 0;
  if (rest > kMaxSourceBytes) return setLastError(kCorruptData), Bytes();
  Bytes bytes(static_cast<size_t>(rest));
  if (!bytes) return setLastError(kOutOfMemory), Bytes();
  if (!sourceRead(source, bytes.data(), bytes.size())) return setLastError(kCorruptData), Bytes();
  return bytes;
}

uint32_t guessType(ByteView head) {
  if (matches(head, 0, "\x89PNG\r\n\x1a\n", 8)) return kTypePNG;
  if (matches(head, 0, "\xFF\xD8\xFF", 3)) return kTypeJPEG;
  if (matches(head, 0, "GIF87a", 6) || matches(head, 0, "GIF89a", 6)) return kTypeGIF;
  if (matches(head, 0, "II*\0", 4) || matches(head, 0, "MM\0*", 4)) return kTypeTIFF;
  if (matches(head, 0, "8BPS", 4)) return kTypePSD;
  if (matches(head, 0, "\x01\0\0\0", 4) && matches(head, 40, " EMF", 4)) return kTypeEMF;
  if (matches(head, 0, "\xD7\xCD\xC6\x9A", 4)) return kTypeWMF;
  if (head.size() >= 18) {
    const uint32_t kind = head.le16(0), words = head.le16(2), version = head.le16(4);
    if ((kind == 1 || kind == 2) && words == 9 && (version == 0x100 || version == 0x300))
      return kTypeWMF;
  }
  if (matches(head, 0, "BM", 2) && head.size() >= 18) {
    const uint32_t infoSize = head.le32(14);
    if (infoSize == 12 || infoSize == 16 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
        infoSize == 64 || infoSize == 108 || infoSize == 124)
      return kTypeBMP;
  }
  if (head.size() >= 128 && head.u8(0) == 0x0A && head.u8(1) <= 5 && head.u8(2) <= 1) {
    const uint32_t bits = head.u8(3);
    if (bits == 1 || bits == 2 || bits == 4 || bits == 8) return kTypePCX;
  }
  if (plausibleTGA(head)) return kTypeTGA;
  return kTypeUnknown;
}

uint32_t IS3GuessFileType(SourceHandle source) {
  if (!source) return failed(kBadArgument);
  uint8_t head[128];
  size_t count = 0;
  const uint64_t at = sourceTell(source);
  const uint64_t rest = at <= source->size ? source->size - at : 0;
  count = static_cast<size_t>(rest < sizeof head ? rest : sizeof head);
  if (!sourceRead(source, head, count)) return failed(kCorruptData);
  return guessType(ByteView(head, count));
}

bool allocatePicture(Picture& picture, uint32_t width, uint32_t height) {
  picture.block = platform::globalAlloc(size_t(width) * height * 4, false);
  if (!picture.block) return setLastError(kOutOfMemory), false;
  picture.width = width;
  picture.height = height;
  return true;
}

platform::GlobalBlock finishPicture(Picture& picture, uint32_t bytesPerPixel, uint32_t* width,
                                    uint32_t* height) {
  platform::GlobalBlock result = picture.block;
  if (bytesPerPixel == 3) {
    const size_t pixels = size_t(picture.width) * picture.height;
    result = platform::globalAlloc(pixels * 3, false);
    if (result) {
      const uint8_t* in = picture.pixels();
      uint8_t* out = static_cast<uint8_t*>(platform::globalLock(result));
      for (size_t i = 0; i < pixels; ++i, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      }
    } else {
      setLastError(kOutOfMemory);
    }
    platform::globalFree(picture.block);
  }
  picture.block = nullptr;
  if (result) {
    if (width) *width = picture.width;
    if (height) *height = picture.height;
  }
  return result;
}

}  // namespace rvl::imaging
