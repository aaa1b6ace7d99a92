// An engine block that owns what it points to.
//
// Every buffer a state struct holds is a Buffer: it comes from the engine allocator, goes
// back to it when the buffer is reset, replaced, moved over or destroyed, and so a state
// struct assigned its load-time value (`page = PageState{}`) releases everything it held.
// It reads like the plain pointer it replaces (it converts to T*), so kernels keep taking
// plain pointers and sizes; only the owner allocates and releases.
#pragma once

#include <cstddef>
#include <utility>

#include "frame/allocator.h"

namespace rvl {

template <class T>
class Buffer {
 public:
  constexpr Buffer() noexcept = default;
  // Takes over a block that came from the engine allocator (or null).
  explicit Buffer(T* adopted) noexcept : data_(adopted) {}
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Buffer(Buffer&& other) noexcept : data_(std::exchange(other.data_, nullptr)) {}
  Buffer& operator=(Buffer&& other) noexcept {
    if (this != &other) reset(std::exchange(other.data_, nullptr));
    return *this;
  }
  ~Buffer() { reset(); }

  operator T*() const noexcept { return data_; }
  T* get() const noexcept { return data_; }

  // Releases the block held now and takes over adopted (null: holds nothing).
  void reset(T* adopted = nullptr) noexcept {
    T* old = std::exchange(data_, adopted);
    if (old) engineFree(old);
  }
  // Gives the block up without releasing it.
  [[nodiscard]] T* detach() noexcept { return std::exchange(data_, nullptr); }

  // Replaces the block by count fresh, uninitialised elements; false (and nothing held)
  // when they cannot be had.
  bool allocate(size_t count) noexcept {
    reset();
    data_ = allocArray<T>(count);
    return data_ != nullptr;
  }
  // The same, raising OutOfMemory on failure, for guarded bodies.
  void allocateOrThrow(size_t count) {
    reset();
    data_ = allocArrayOrThrow<T>(count);
  }

 private:
  T* data_ = nullptr;
};

template <class T>
void release(Buffer<T>& buffer) noexcept {
  buffer.reset();
}

}  // namespace rvl
