// Replaces the global operator new/delete, and on glibc the malloc family, with versions
// that count calls. Under AddressSanitizer the sanitizer owns the allocator, so its
// allocation hook does the counting instead. One thread; a plain counter suffices.
#include "alloc/alloc_counter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::int64_t gAllocations = 0;  // calls of any allocating function since the start

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define TARN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARN_ASAN 1
#endif
#endif

#if defined(TARN_ASAN)

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {

void CountMalloc(const volatile void*, std::size_t) { ++gAllocations; }
void IgnoreFree(const volatile void*) {}

// Installed before main; the hook sees operator new and the malloc family alike.
const int gHooked = __sanitizer_install_malloc_and_free_hooks(CountMalloc, IgnoreFree);

}  // namespace

bool tarn::CountsMalloc() { return gHooked != 0; }

#else  // our own operator new (and malloc on glibc)

#if defined(__GLIBC__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) {
  ++gAllocations;
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  ++gAllocations;
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
  ++gAllocations;
  return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}
bool tarn::CountsMalloc() { return true; }
#else
bool tarn::CountsMalloc() { return false; }
#endif

namespace {

void* CountedNew(std::size_t size) {
#if !defined(__GLIBC__)
  ++gAllocations;  // on glibc the malloc below counts it
#endif
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) std::abort();  // no exceptions here: a test cannot go on anyway
  return block;
}

}  // namespace

void* operator new(std::size_t size) { return CountedNew(size); }
void* operator new[](std::size_t size) { return CountedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedNew(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedNew(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

#endif

std::int64_t tarn::AllocationCount() { return gAllocations; }
