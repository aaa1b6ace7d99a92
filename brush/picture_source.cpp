#include "brush/picture_source.h"

#include <algorithm>
#include <cstring>

#include "external/fxscript/fxscript.h"
#include "external/imaging/conversion.h"
#include "external/imaging/file_read.h"
#include "frame/allocator.h"
#include "platform/global_memory.h"

namespace rvl {

namespace {
constexpr int32_t kMaxSide = 10000;
constexpr int32_t kRotationEffect = 51;
}  // namespace

void releasePicture(Picture32& picture) {
  release(picture.pixels);
  picture.width = picture.height = 0;
}

bool renderScriptPicture(const char* path, Picture32& out, bool& loaded) {
  using namespace fxscript;
  loaded = false;
  out = Picture32{};
  if (!path || !FXR_Initialize()) return false;
  bool done = false;
  if (FXR_LoadScriptFromFile(path)) {
    loaded = true;
    FXR_InitBuffers();
    int32_t header[kHeaderEntries] = {};
    FXR_ReadScriptHeaderFromFile(path, header);
    const int32_t w = header[4], h = header[5];
    // The buffer is sized from the header; the script renders its own size: they must agree.
    int32_t loadedW = 0, loadedH = 0;
    if (w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && loadedScriptSize(loadedW, loadedH) &&
        loadedW == w && loadedH == h) {
      out.pixels = allocArray<uint8_t>(size_t(w) * size_t(h) * 4);
      if (out.pixels && FXR_ExecuteScript(out.pixels)) {
        out.width = w;
        out.height = h;
        imaging::IS3RGBAToBGRA(out.pixels, uint32_t(w), uint32_t(h), uint32_t(w) * 4);
        done = true;
      } else {
        releasePicture(out);
      }
    }
  }
  FXR_Finish();
  return done;
}

bool readPictureFile(const char* path, Picture32& out) {
  out = Picture32{};
  if (!path) return false;
  imaging::SourceHandle source = imaging::IS3OpenFileSource(path);
  if (!source) return false;
  uint32_t w = 0, h = 0;
  platform::GlobalBlock block = imaging::IS3ReadImageToRGBA(source, &w, &h, 0);
  imaging::IS3CloseSource(source);
  if (!block) return false;
  bool done = false;
  if (w > 0 && h > 0 && w <= uint32_t(kMaxSide) && h <= uint32_t(kMaxSide)) {
    const size_t bytes = size_t(w) * size_t(h) * 4;
    out.pixels = allocArray<uint8_t>(bytes);
    if (out.pixels && platform::globalSize(block) >= bytes) {
      std::memcpy(out.pixels, platform::globalLock(block), bytes);
      platform::globalUnlock(block);
      out.width = int32_t(w);
      out.height = int32_t(h);
      done = true;
    } else {
      releasePicture(out);
    }
  }
  platform::globalFree(block);
  return done;
}

bool rotatePicture(Picture32& picture, int32_t degrees) {
  using namespace fxscript;
  if (!picture.pixels || !FXR_Initialize()) return false;
  bool done = false;
  if (FXR_AddEffect(kRotationEffect, 1)) {
    FXR_SetEffectValue(0, 3, degrees);
    FXR_SetEffectValue(0, 4, 100);
    done = FXR_ExecuteScriptOnImage(picture.pixels, picture.width, picture.height) != 0;
  }
  FXR_Finish();
  return done;
}

}  // namespace rvl
