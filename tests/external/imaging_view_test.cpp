#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "external/imaging/image_view.h"
#include "external/imaging/imaging.h"
#include "external/imaging/memory.h"
#include "frame/allocator.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

// Every rule of the one view check, each case spoiling one field of a good view.
TEST(ImagingView, ValidationRefusesEachBadField) {
  alignas(8) static uint8_t pixels[64];
  const ConstImageView good = imageView(pixels, 3, 2, 16, 4);
  ASSERT_TRUE(validView(good, kRGBA32));
  struct Case {
    const char* name;
    ConstImageView view;
    PixelSizes allowed;
    Channels channels;
    bool valid;
  };
  const auto with = [&](auto change) {
    ConstImageView v = good;
    change(v);
    return v;
  };
  const auto top = reinterpret_cast<const uint8_t*>(UINTPTR_MAX - 20);  // never read
  const Case cases[] = {
      {"null data", with([](ConstImageView& v) { v.data = nullptr; }), kRGBA32, Channels::Bytes, false},
      {"width 0", with([](ConstImageView& v) { v.width = 0; }), kRGBA32, Channels::Bytes, false},
      {"negative height", with([](ConstImageView& v) { v.height = -1; }), kRGBA32, Channels::Bytes, false},
      {"width 2^31", with([](ConstImageView& v) { v.width = int64_t(1) << 31, v.pitch = INT64_C(1) << 34; }),
       kRGBA32, Channels::Bytes, false},
      {"width 2^31 - 1", with([](ConstImageView& v) { v.width = kMaxSide, v.pitch = kMaxSide * 4; }),
       kRGBA32, Channels::Bytes, true},
      {"pitch one short", with([](ConstImageView& v) { v.pitch = 11; }), kRGBA32, Channels::Bytes, false},
      {"pitch exactly a row", with([](ConstImageView& v) { v.pitch = 12; }), kRGBA32, Channels::Bytes, true},
      {"negative pitch", with([](ConstImageView& v) { v.pitch = -16; }), kRGBA32, Channels::Bytes, false},
      {"bytes per pixel not allowed", good, kRGB24 | kGrey8, Channels::Bytes, false},
      {"bytes per pixel 0", with([](ConstImageView& v) { v.bytesPerPixel = 0; }), ~0u, Channels::Bytes, false},
      {"bytes per pixel 32", with([](ConstImageView& v) { v.bytesPerPixel = 32, v.pitch = 96; }), ~0u,
       Channels::Bytes, false},
      {"last row past the largest offset",
       with([](ConstImageView& v) { v.pitch = INT64_MAX / 2 + 1, v.height = 3; }), kRGBA32, Channels::Bytes,
       false},
      {"last byte past the address space", with([&](ConstImageView& v) { v.data = top; }), kRGBA32,
       Channels::Bytes, false},
      {"odd 16-bit pitch", imageView(pixels, 1, 2, 9, 8), kRGBA64, Channels::Wide16, false},
      {"odd 16-bit address", imageView(pixels + 1, 1, 1, 8, 8), kRGBA64, Channels::Wide16, false},
      {"odd address, 8-bit channels", imageView(pixels + 1, 1, 1, 8, 8), kRGBA64, Channels::Bytes, true},
      {"even 16-bit grey", imageView(pixels, 3, 2, 6, 2), kGrey16, Channels::Wide16, true},
  };
  for (const Case& c : cases) EXPECT_EQ(validView(c.view, c.allowed, c.channels), c.valid) << c.name;
}

// A view of part of an image walks the rows of the whole.
TEST(ImagingView, PartsAddressTheirPixels) {
  std::vector<uint8_t> bytes(5 * 10);
  const ImageView whole = imageView(bytes.data(), 3, 5, 10, 3);
  const ImageView part = whole.part(1, 2, 2, 3);
  EXPECT_EQ(part.data, bytes.data() + 2 * 10 + 3);
  EXPECT_EQ(part.row(2), bytes.data() + 4 * 10 + 3);
  EXPECT_EQ(part.at(1, 1), bytes.data() + 3 * 10 + 6);
  EXPECT_EQ(part.rowBytes(), 6u);
  EXPECT_TRUE(validView(part, kRGB24));
}

// Counts what the imaging library takes from the allocator it is given.
struct Counted {
  static inline int64_t allocations = 0, frees = 0;
  static void* allocate(size_t bytes) {
    ++allocations;
    return rvl::engineAlloc(bytes);
  }
  static void free(void* block) {
    ++frees;
    rvl::engineFree(block);
  }
};

void* engineAllocate(size_t bytes) { return rvl::engineAlloc(bytes); }
void engineRelease(void* block) { rvl::engineFree(block); }

// The engine installs its allocator at load time: the library's records and buffers come
// from it (and fail with it), and another allocator can be installed in its place.
TEST(ImagingMemory, AllocationsGoThroughTheInstalledAllocator) {
  const uint8_t bytes[4] = {1, 2, 3, 4};
  rvl::testing::clearAllocationFaults();
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(IS3OpenMemorySource(bytes, 4), nullptr);
  EXPECT_EQ(IS3GetLastError(), kOutOfMemory);
  rvl::testing::clearAllocationFaults();

  setAllocator(Counted::allocate, Counted::free);
  SourceHandle source = IS3OpenMemorySource(bytes, 4);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(Counted::allocations, 1);
  IS3CloseSource(source);
  EXPECT_EQ(Counted::frees, 1);

  // Half a pair is no pair: the library falls back to malloc and free.
  setAllocator(Counted::allocate, nullptr);
  const uint64_t engineCount = rvl::testing::allocationCount();
  source = IS3OpenMemorySource(bytes, 4);
  ASSERT_NE(source, nullptr);
  IS3CloseSource(source);
  EXPECT_EQ(Counted::allocations, 1);
  EXPECT_EQ(rvl::testing::allocationCount(), engineCount);

  setAllocator(engineAllocate, engineRelease);
}

}  // namespace
}  // namespace rvl::test
