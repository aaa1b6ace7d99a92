// File destinations and the line-writer frame every format's writer runs in.
#include "external/imaging/file_io.h"

namespace rvl::imaging {

DestinationHandle IS3OpenFileDest(const char* path, uint32_t) {
  if (!path || !*path) return failed(kBadArgument), nullptr;
  void* record = allocate(sizeof(DestinationData));
  if (!record) return failed(kOutOfMemory), nullptr;
  // Read access too: the TIFF writer reads back what it wrote.
  FILE* file = std::fopen(path, "w+b");
  if (!file) {
    deallocate(record);
    return failed(kBadArgument), nullptr;
  }
  return new (record) DestinationData{file, false};
}

uint32_t IS3CloseDest(DestinationHandle destination) {
  if (!destination) return 0;
  const bool closed = std::fclose(destination->file) == 0;
  const bool ok = closed && !destination->failed;
  destination->~DestinationData();
  deallocate(destination);
  return ok ? 1 : failed(kLibraryFailure);
}

bool destinationWrite(DestinationHandle destination, const void* data, size_t count) {
  if (!destination || destination->failed) return false;
  if (count && std::fwrite(data, 1, count, destination->file) != count) destination->failed = true;
  return !destination->failed;
}

uint32_t IS3WriteNextLine(LineWriterHandle writer, const uint8_t* row) {
  if (!writer || !row) return failed(kBadArgument);
  if (writer->failedOnce || writer->rowsWritten >= writer->height) return failed(kBadArgument);
  if (!writer->writeLine(row)) {
    writer->failedOnce = true;
    return failed(kLibraryFailure);
  }
  ++writer->rowsWritten;
  return 1;
}

uint32_t IS3DestroyWriteLines(LineWriterHandle writer) {
  if (!writer) return 0;
  const bool complete = !writer->failedOnce && writer->rowsWritten == writer->height;
  const bool ok = complete && writer->finish();
  destroyLineWriter(writer);
  return ok ? 1 : failed(complete ? kLibraryFailure : kBadArgument);
}

uint32_t writeAllLines(LineWriterHandle writer, ConstImageView rows, bool bottomUp) {
  if (!writer) return 0;
  for (uint32_t i = 0; i < writer->height; ++i) {
    const uint32_t y = bottomUp ? writer->height - 1 - i : i;
    if (!IS3WriteNextLine(writer, rows.row(y))) break;
  }
  return IS3DestroyWriteLines(writer);
}

}  // namespace rvl::imaging
