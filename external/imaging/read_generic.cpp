// The format readers' common frame (whole source into memory, decode, hand out) and the
// generic readers that pick the format by the type guess.
#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

using Decoder = bool (*)(ByteView, Picture&);

platform::GlobalBlock readWith(Decoder decode, SourceHandle source, uint32_t* width,
                               uint32_t* height, uint32_t bytesPerPixel) {
  if (!source || (bytesPerPixel != 3 && bytesPerPixel != 4)) return noPicture(kBadArgument);
  Bytes file = readRest(source);
  if (!file) return nullptr;
  Picture picture;
  if (!decode(ByteView(file.data(), file.size()), picture)) {
    platform::globalFree(picture.block);
    return nullptr;
  }
  return finishPicture(picture, bytesPerPixel, width, height);
}

Decoder decoderOf(uint32_t type) {
  switch (type) {
    case kTypeBMP: return decodeBMP;
    case kTypePCX: return decodePCX;
    case kTypeJPEG: return decodeJPEG;
    case kTypePNG: return decodePNG;
    case kTypeGIF: return decodeGIF;
    case kTypeTIFF: return decodeTIFF;
    case kTypeTGA: return decodeTGA;
    case kTypePSD: return decodePSD;
    default: return nullptr;
  }
}

platform::GlobalBlock readAny(SourceHandle source, uint32_t* width, uint32_t* height,
                              uint32_t bytesPerPixel) {
  if (!source) return noPicture(kBadArgument);
  const uint64_t start = sourceTell(source);
  const uint32_t type = IS3GuessFileType(source);
  if (!IS3Seek(source, int64_t(start), 0)) return nullptr;
  Decoder decode = decoderOf(type);
  if (!decode) return noPicture(kCorruptData);
  return readWith(decode, source, width, height, bytesPerPixel);
}

}  // namespace

platform::GlobalBlock IS3ReadBMP(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodeBMP, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadTGA(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodeTGA, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadPCX(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodePCX, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadPSD(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodePSD, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadGIF(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodeGIF, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadTIFF(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp,
                                  uint32_t) {
  return readWith(decodeTIFF, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadJPG(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodeJPEG, s, w, h, bpp);
}
platform::GlobalBlock IS3ReadPNG(SourceHandle s, uint32_t* w, uint32_t* h, uint32_t bpp, uint32_t) {
  return readWith(decodePNG, s, w, h, bpp);
}

platform::GlobalBlock IS3ReadImageToRGBA(SourceHandle source, uint32_t* width, uint32_t* height,
                                         uint32_t) {
  return readAny(source, width, height, 4);
}

platform::GlobalBlock IS3ReadImageToRGB(SourceHandle source, uint32_t* width, uint32_t* height,
                                        uint32_t) {
  return readAny(source, width, height, 3);
}

}  // namespace rvl::imaging
