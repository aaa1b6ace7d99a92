// Imaging library: deflate and inflate of memory buffers (zlib format).
#pragma once

#include <cstdint>

namespace rvl::imaging {

// Deflates inputLength bytes into output, which holds outputCapacity bytes, at the given
// zlib level (0 to 9; any other value means the library's default). Returns the bytes
// written, or 0 when the output is too small or an argument is bad.
uint32_t IS3DeflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t level);

// Inflates inputLength bytes of zlib data into output, never writing more than
// outputCapacity bytes. Returns the bytes written when the stream ended cleanly, or 0
// for corrupt or truncated data, data that inflates to more than outputCapacity, or a
// bad argument. flags is reserved (0).
uint32_t IS3InflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t flags);

// The largest deflated size of inputLength bytes.
uint32_t IS3DeflateBound(uint32_t inputLength);

}  // namespace rvl::imaging
