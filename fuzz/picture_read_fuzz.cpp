// Picture files are user input: any bytes go through the type guess, the generic
// readers, the header readers and (for metafiles) the metafile renderer, which must
// refuse what they cannot decode without reading outside their buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "external/imaging/imaging.h"
#include "platform/global_memory.h"

using namespace rvl::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  SourceHandle source = IS3OpenMemorySource(data, uint32_t(size));
  if (!source) return 0;
  const uint32_t type = IS3GuessFileType(source);
  IS3Seek(source, 0, 0);
  uint32_t width = 0, height = 0;
  rvl::platform::globalFree(IS3ReadImageToRGBA(source, &width, &height, 0));
  IS3Seek(source, 0, 0);
  rvl::platform::globalFree(IS3ReadImageToRGB(source, &width, &height, 0));
  IS3Seek(source, 0, 0);
  Resolution resolution{};
  switch (type) {
    case kTypeBMP: IS3GetBMPDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypeJPEG: IS3GetJPGDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypePNG: IS3GetPNGDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypeTIFF: IS3GetTIFFDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypePSD: IS3GetPSDDimensions(source, &width, &height, nullptr, &resolution); break;
    default: break;
  }
  IS3CloseSource(source);
  if (type == kTypeEMF) {
    static const std::string path = "/tmp/picture_read_fuzz_" + std::to_string(getpid()) + ".emf";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
      std::fwrite(data, 1, size, file);
      std::fclose(file);
      rvl::platform::globalFree(IS3ReadMetafile(path.c_str(), 17, 9, 0x808080, 0, &width, &height));
      std::remove(path.c_str());
    }
  }
  return 0;
}
