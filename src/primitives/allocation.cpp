#include "primitives/allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace txt2csv {

namespace {
std::atomic<std::size_t> last_failed_size{0};
}

std::size_t failed_allocation_size() { return last_failed_size.load(std::memory_order_relaxed); }

}  // namespace txt2csv

// Every form is replaced, deletes included, so that each block is released by
// the allocator that made it (a sanitizer's runtime brings forms of its own).
void* operator new(std::size_t size) {
  for (;;) {
    void* block = size <= txt2csv::allocation_limit() ? std::malloc(size == 0 ? 1 : size) : nullptr;
    if (block) return block;
    std::new_handler handler = std::get_new_handler();
    if (!handler) {
      txt2csv::last_failed_size.store(size, std::memory_order_relaxed);
      throw std::bad_alloc();
    }
    handler();
  }
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, std::nothrow);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
