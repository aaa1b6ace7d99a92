// OpenCV behind the imaging library. Caller buffers are wrapped, never copied, and every
// OpenCV exception ends here as an error code.
#include "external/imaging/opencv_glue.h"

#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "external/imaging/library.h"

namespace rvl::imaging {

namespace {
int matType(uint32_t bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1: return CV_8UC1;
    case 2: return CV_16UC1;
    case 3: return CV_8UC3;
    case 4: return CV_8UC4;
    case 8: return CV_16UC4;
    default: return -1;
  }
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
}  // namespace

// Runs an OpenCV operation that writes into the caller's buffer at dst, wrapped as out.
// Every OpenCV failure becomes the library's last error; an operation that replaced out's
// buffer with one of its own (it would have, given a wrong size or type) is a failure too.
template <class Operation>
uint32_t runIntoCaller(void* dst, cv::Mat& out, Operation operation) noexcept {
  try {
    operation();
    if (out.data != dst) {
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

uint32_t resampleWithOpenCV(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch,
                            void* dst, uint32_t dw, uint32_t dh, uint32_t dstPitch,
                            uint32_t bytesPerPixel, Resampling how) noexcept {
  const int type = matType(bytesPerPixel);
  if (type < 0) {
    setLastError(kBadArgument);
    return 0;
  }
  try {
    const cv::Mat in(static_cast<int>(h), static_cast<int>(w), type, const_cast<void*>(src), srcPitch);
    cv::Mat out(static_cast<int>(dh), static_cast<int>(dw), type, dst, dstPitch);
    return runIntoCaller(dst, out, [&] { cv::resize(in, out, out.size(), 0, 0, interpolation(how)); });
  } catch (...) {
    setLastError(kLibraryFailure);
    return 0;
  }
}

uint32_t gaussianBlurWithOpenCV(const void* src, uint32_t w, uint32_t h, uint32_t srcPitch, void* dst,
                                uint32_t dstPitch, uint32_t bytesPerPixel, double sigma) noexcept {
  const int type = matType(bytesPerPixel);
  if (type < 0 || !(sigma > 0)) {
    setLastError(kBadArgument);
    return 0;
  }
  try {
    const cv::Mat in(static_cast<int>(h), static_cast<int>(w), type, const_cast<void*>(src), srcPitch);
    cv::Mat out(static_cast<int>(h), static_cast<int>(w), type, dst, dstPitch);
    return runIntoCaller(dst, out, [&] { cv::GaussianBlur(in, out, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE); });
  } catch (...) {
    setLastError(kLibraryFailure);
    return 0;
  }
}

}  // namespace rvl::imaging
