// The conversion family: byte shuffles between packed formats. Each call builds views of
// its buffers, validates them and runs its kernel (image_view.h).
#include "external/imaging/conversion.h"

#include "external/imaging/image_view.h"

namespace rvl::imaging {

namespace {

// ---- kernels: every view already valid, sizes matching ----

void swapRedBlueKernel(ImageView image) {
  for (int64_t y = 0; y < image.height; ++y) {
    uint8_t* p = image.row(y);
    for (int64_t x = 0; x < image.width; ++x, p += 4) {
      const uint8_t red = p[0];
      p[0] = p[2];
      p[2] = red;
    }
  }
}

void rgbToRgbaKernel(ConstImageView rgb, ImageView rgba) {
  for (int64_t y = 0; y < rgb.height; ++y) {
    const uint8_t* s = rgb.row(y);
    uint8_t* d = rgba.row(y);
    for (int64_t x = 0; x < rgb.width; ++x, s += 3, d += 4) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      d[3] = 255;
    }
  }
}

// alpha.data null: the alpha is dropped.
void rgbaToRgbPlusAlphaKernel(ConstImageView rgba, ImageView rgb, ImageView alpha) {
  for (int64_t y = 0; y < rgba.height; ++y) {
    const uint8_t* s = rgba.row(y);
    uint8_t* d = rgb.row(y);
    for (int64_t x = 0; x < rgba.width; ++x, s += 4, d += 3) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
    if (alpha.data) {
      s = rgba.row(y) + 3;
      uint8_t* a = alpha.row(y);
      for (int64_t x = 0; x < rgba.width; ++x, s += 4) a[x] = *s;
    }
  }
}

// Channel c of image into the 8-bit plane.
void channelToPlaneKernel(ConstImageView image, int64_t c, ImageView plane) {
  for (int64_t y = 0; y < image.height; ++y) {
    const uint8_t* s = image.row(y) + c;
    uint8_t* d = plane.row(y);
    for (int64_t x = 0; x < image.width; ++x, s += image.bytesPerPixel) d[x] = *s;
  }
}

// The 8-bit plane into channel c of image.
void planeToChannelKernel(ConstImageView plane, ImageView image, int64_t c) {
  for (int64_t y = 0; y < image.height; ++y) {
    const uint8_t* s = plane.row(y);
    uint8_t* d = image.row(y) + c;
    for (int64_t x = 0; x < image.width; ++x, d += image.bytesPerPixel) *d = s[x];
  }
}

void greyKernel(ConstImageView src, ImageView grey) {
  for (int64_t y = 0; y < src.height; ++y) {
    const uint8_t* s = src.row(y);
    uint8_t* d = grey.row(y);
    for (int64_t x = 0; x < src.width; ++x, s += src.bytesPerPixel)
      d[x] = static_cast<uint8_t>((77u * s[0] + 150u * s[1] + 29u * s[2] + 128u) >> 8);
  }
}

// The planes of a split or combine: one view per non-null entry of the first count.
// False when one of them is not a valid plane of the image's size.
template <class Byte>
bool planeViews(Byte* const planes[4], int64_t count, ConstImageView image, uint32_t planePitch,
                BasicImageView<Byte> views[4]) {
  for (int64_t c = 0; c < count; ++c) {
    views[c] = {};
    if (!planes[c]) continue;
    views[c] = imageView(planes[c], image.width, image.height, planePitch, 1);
    if (!validView(views[c], kGrey8)) return false;
  }
  return true;
}

}  // namespace

// ---- the calls: build views, validate, run the kernel ----

uint32_t IS3RGBAToBGRA(uint8_t* image, uint32_t width, uint32_t height, uint32_t pitch) {
  const ImageView rgba = imageView(image, width, height, pitch, 4);
  if (!validView(rgba, kRGBA32)) return badArgument();
  swapRedBlueKernel(rgba);
  return 1;
}

uint32_t IS3RGBToRGBA(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t rgbPitch,
                      uint8_t* rgba, uint32_t rgbaPitch) {
  const ConstImageView in = imageView(rgb, width, height, rgbPitch, 3);
  const ImageView out = imageView(rgba, width, height, rgbaPitch, 4);
  if (!validView(in, kRGB24) || !validView(out, kRGBA32)) return badArgument();
  rgbToRgbaKernel(in, out);
  return 1;
}

uint32_t IS3RGBAToRGBPlusAlpha(const uint8_t* rgba, uint32_t width, uint32_t height,
                               uint32_t rgbaPitch, uint8_t* rgb, uint32_t rgbPitch,
                               uint8_t* alpha, uint32_t alphaPitch) {
  const ConstImageView in = imageView(rgba, width, height, rgbaPitch, 4);
  const ImageView out = imageView(rgb, width, height, rgbPitch, 3);
  const ImageView plane = alpha ? imageView(alpha, width, height, alphaPitch, 1) : ImageView{};
  if (!validView(in, kRGBA32) || !validView(out, kRGB24) || (alpha && !validView(plane, kGrey8)))
    return badArgument();
  rgbaToRgbPlusAlphaKernel(in, out, plane);
  return 1;
}

uint32_t IS3SplitImage(const uint8_t* image, uint32_t width, uint32_t height,
                       uint32_t bytesPerPixel, uint32_t pitch, uint8_t* const planes[4],
                       uint32_t planePitch) {
  const ConstImageView in = imageView(image, width, height, pitch, bytesPerPixel);
  ImageView out[4];
  if (!planes || !validView(in, kRGB24 | kRGBA32) ||
      !planeViews(planes, in.bytesPerPixel, in, planePitch, out))
    return badArgument();
  for (int64_t c = 0; c < in.bytesPerPixel; ++c)
    if (out[c].data) channelToPlaneKernel(in, c, out[c]);
  return 1;
}

uint32_t IS3CombineImageChannels(uint8_t* image, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t pitch,
                                 const uint8_t* const planes[4], uint32_t planePitch) {
  const ImageView out = imageView(image, width, height, pitch, bytesPerPixel);
  ConstImageView in[4];
  if (!planes || !validView(out, kRGB24 | kRGBA32) ||
      !planeViews(planes, out.bytesPerPixel, out, planePitch, in))
    return badArgument();
  for (int64_t c = 0; c < out.bytesPerPixel; ++c)
    if (in[c].data) planeToChannelKernel(in[c], out, c);
  return 1;
}

uint32_t IS3ImageToGrayScale8Bit(const uint8_t* src, uint32_t width, uint32_t height,
                                 uint32_t bytesPerPixel, uint32_t srcPitch, uint8_t* dst,
                                 uint32_t dstPitch, uint32_t flags) {
  (void)flags;
  const ConstImageView in = imageView(src, width, height, srcPitch, bytesPerPixel);
  const ImageView grey = imageView(dst, width, height, dstPitch, 1);
  if (!validView(in, kRGB24 | kRGBA32) || !validView(grey, kGrey8)) return badArgument();
  greyKernel(in, grey);
  return 1;
}

}  // namespace rvl::imaging
