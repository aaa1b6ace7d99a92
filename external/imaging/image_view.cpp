// The argument check of every pixel buffer the imaging library is given.
#include "external/imaging/image_view.h"

namespace rvl::imaging {

bool validView(ConstImageView view, PixelSizes allowed, Channels channels) {
  if (!view.data) return false;
  if (view.width < 1 || view.width > kMaxSide || view.height < 1 || view.height > kMaxSide)
    return false;
  if (view.bytesPerPixel < 1 || view.bytesPerPixel > 31 || !((allowed >> view.bytesPerPixel) & 1u))
    return false;
  const int64_t rowBytes = view.width * view.bytesPerPixel;  // below 2^36: no overflow
  if (view.pitch < rowBytes) return false;
  // The offset of the last row, then of the byte past the last pixel.
  constexpr uint64_t kMaxOffset = PTRDIFF_MAX;
  const uint64_t rows = uint64_t(view.height - 1), pitch = uint64_t(view.pitch);
  if (rows && pitch > (kMaxOffset - uint64_t(rowBytes)) / rows) return false;
  const uint64_t extent = rows * pitch + uint64_t(rowBytes);
  if (reinterpret_cast<uintptr_t>(view.data) > UINTPTR_MAX - extent) return false;
  const bool wide = view.bytesPerPixel == 2 || view.bytesPerPixel == 8;
  if (channels == Channels::Wide16 && wide &&
      ((reinterpret_cast<uintptr_t>(view.data) | pitch) & 1u))
    return false;
  return true;
}

}  // namespace rvl::imaging
