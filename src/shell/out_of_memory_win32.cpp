// Running out of memory anywhere ends the program through the run-time error
// report, with the size that was asked for. Every allocation of the program
// goes through these replacements of the global operator new.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "shell/shell.h"

namespace {

[[noreturn]] void report_failed_allocation(std::size_t size) {
  // No allocation here: the message is put together in place.
  static char message[64];
  std::snprintf(message, sizeof message, txt2csv::allocation_failure_format().data(), size);
  txt2csv::report_runtime_error(message);
}

void* allocate(std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  report_failed_allocation(size);
}

void* allocate_aligned(std::size_t size, std::align_val_t alignment) {
  const auto boundary = static_cast<std::size_t>(alignment);
  if (void* memory = _aligned_malloc(size ? size : 1, boundary)) return memory;
  report_failed_allocation(size);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocate_aligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocate_aligned(size, alignment);
}
void operator delete(void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  _aligned_free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  _aligned_free(memory);
}
