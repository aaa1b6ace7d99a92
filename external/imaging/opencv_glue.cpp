// OpenCV behind the imaging library. Caller buffers are wrapped, never copied, and every
// OpenCV exception ends here as an error code.
#include "external/imaging/opencv_glue.h"

#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "external/imaging/library.h"

namespace rvl::imaging {

namespace {
int matType(int64_t bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1: return CV_8UC1;
    case 2: return CV_16UC1;
    case 3: return CV_8UC3;
    case 4: return CV_8UC4;
    case 8: return CV_16UC4;
    default: return -1;
  }
}

// The adapter from views to OpenCV: a cv::Mat header over the view's memory (no copy).
// The view must be valid (its sides then fit int) and its format one matType knows.
cv::Mat matOf(ImageView view) {
  return cv::Mat(static_cast<int>(view.height), static_cast<int>(view.width),
                 matType(view.bytesPerPixel), view.data, static_cast<size_t>(view.pitch));
}
// OpenCV reads a const source through a non-const header; the operations given one only
// read it.
cv::Mat matOf(ConstImageView view) {
  return matOf(ImageView{const_cast<uint8_t*>(view.data), view.width, view.height, view.pitch,
                         view.bytesPerPixel});
}

int interpolation(Resampling how) {
  switch (how) {
    case Resampling::Nearest: return cv::INTER_NEAREST;
    case Resampling::Area: return cv::INTER_AREA;
    case Resampling::Bilinear: return cv::INTER_LINEAR;
    case Resampling::Bicubic: return cv::INTER_CUBIC;
  }
  return cv::INTER_LINEAR;
}

// Runs an OpenCV operation from src into the caller's buffer behind dst. Every OpenCV
// failure becomes the library's last error; an operation that replaced the output's
// buffer with one of its own (it would have, given a wrong size or type) is a failure
// too.
template <class Operation>
uint32_t runIntoCaller(ConstImageView src, ImageView dst, Operation operation) noexcept {
  if (matType(src.bytesPerPixel) < 0 || src.bytesPerPixel != dst.bytesPerPixel) {
    setLastError(kBadArgument);
    return 0;
  }
  try {
    const cv::Mat in = matOf(src);
    cv::Mat out = matOf(dst);
    operation(in, out);
    if (out.data != dst.data) {
      setLastError(kLibraryFailure);
      return 0;
    }
    return 1;
  } catch (const cv::Exception& e) {
    setLastError(e.code == cv::Error::StsNoMem ? kOutOfMemory : kLibraryFailure);
  } catch (const std::bad_alloc&) {
    setLastError(kOutOfMemory);
  } catch (...) {
    setLastError(kLibraryFailure);
  }
  return 0;
}
}  // namespace

uint32_t resampleWithOpenCV(ConstImageView src, ImageView dst, Resampling how) noexcept {
  return runIntoCaller(src, dst, [how](const cv::Mat& in, cv::Mat& out) {
    cv::resize(in, out, out.size(), 0, 0, interpolation(how));
  });
}

uint32_t gaussianBlurWithOpenCV(ConstImageView src, ImageView dst, double sigma) noexcept {
  if (!(sigma > 0)) {
    setLastError(kBadArgument);
    return 0;
  }
  return runIntoCaller(src, dst, [sigma](const cv::Mat& in, cv::Mat& out) {
    cv::GaussianBlur(in, out, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);
  });
}

}  // namespace rvl::imaging
