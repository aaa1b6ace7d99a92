// Colour quantising through libimagequant. Its status codes stay in this unit.
#include <libimagequant.h>

#include "external/imaging/file_io.h"
#include "external/imaging/image_view.h"

namespace rvl::imaging {

namespace {
// libimagequant's working memory comes from the library's allocator too.
void* quantiserAlloc(size_t bytes) { return allocate(bytes); }
void quantiserFree(void* block) { deallocate(block); }

// The quantiser's kernel: rgb (RGB24) and indices (8-bit) valid views of one size,
// maxColours 2..256, minQuality 0..100.
uint32_t quantiseKernel(ConstImageView rgb, ImageView indices, uint32_t maxColours,
                        uint8_t* palette, uint32_t dither, uint32_t minQuality) {
  const size_t width = size_t(rgb.width), height = size_t(rgb.height);
  const size_t pixels = width * height;
  Bytes rgba(pixels * 4);
  Bytes packed(pixels);
  if (!rgba || !packed) return failed(kOutOfMemory);
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* in = rgb.row(int64_t(y));
    uint8_t* o = rgba.data() + y * width * 4;
    for (size_t x = 0; x < width; ++x, in += 3, o += 4) {
      o[0] = in[0];
      o[1] = in[1];
      o[2] = in[2];
      o[3] = 255;
    }
  }
  liq_attr* attr = liq_attr_create_with_allocator(quantiserAlloc, quantiserFree);
  if (!attr) return failed(kOutOfMemory);
  uint32_t colours = 0;
  liq_image* image = nullptr;
  liq_result* result = nullptr;
  if (liq_set_max_colors(attr, int(maxColours)) == LIQ_OK &&
      liq_set_quality(attr, int(minQuality), 100) == LIQ_OK) {
    image = liq_image_create_rgba(attr, rgba.data(), int(width), int(height), 0);
  }
  if (image && liq_image_quantize(image, attr, &result) == LIQ_OK && result &&
      liq_set_dithering_level(result, dither ? 1.0f : 0.0f) == LIQ_OK &&
      liq_write_remapped_image(result, image, packed.data(), pixels) == LIQ_OK) {
    const liq_palette* entries = liq_get_palette(result);
    colours = entries ? entries->count : 0;
    std::memset(palette, 0, 768);
    for (uint32_t i = 0; i < colours && i < 256; ++i) {
      palette[3 * i] = entries->entries[i].r;
      palette[3 * i + 1] = entries->entries[i].g;
      palette[3 * i + 2] = entries->entries[i].b;
    }
    for (size_t y = 0; y < height; ++y)
      std::memcpy(indices.row(int64_t(y)), packed.data() + y * width, width);
  }
  if (result) liq_result_destroy(result);
  if (image) liq_image_destroy(image);
  liq_attr_destroy(attr);
  return colours ? colours : failed(kLibraryFailure);
}

}  // namespace

uint32_t IS3RGBToPalette(const uint8_t* rgb, uint32_t width, uint32_t height, uint32_t rgbPitch,
                         uint8_t* dst, uint32_t dstPitch, uint32_t maxColours, uint8_t* palette,
                         uint32_t dither, uint32_t minQuality, uint32_t) {
  const ConstImageView in = imageView(rgb, width, height, rgbPitch, 3);
  const ImageView out = imageView(dst, width, height, dstPitch, 1);
  if (!validView(in, kRGB24) || !validView(out, kGrey8) || !palette || maxColours < 2 ||
      maxColours > 256 || minQuality > 100)
    return badArgument();
  return quantiseKernel(in, out, maxColours, palette, dither, minQuality);
}

}  // namespace rvl::imaging
