// The replacements forward to glibc's own allocator, so nothing but the
// counting changes. Sanitizers bring their own allocator and cannot be
// combined with this; the executable is built without them.
#include "tests/alloc/allocation_counter.h"

#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

// Only on the thread that counts: the take writer's may allocate meanwhile, in the fake's file store.
thread_local bool counting;
size_t allocations;

void noteAllocation() {
    if (counting) ++allocations;
}

void* allocate(size_t size) {
    noteAllocation();
    return __libc_malloc(size == 0 ? 1 : size);
}

void* allocateAligned(size_t size, std::align_val_t alignment) {
    noteAllocation();
    return __libc_memalign((size_t)alignment, size == 0 ? 1 : size);
}

void* allocateOrThrow(size_t size) {
    void* block = allocate(size);
    if (!block) throw std::bad_alloc();
    return block;
}

void* allocateAlignedOrThrow(size_t size, std::align_val_t alignment) {
    void* block = allocateAligned(size, alignment);
    if (!block) throw std::bad_alloc();
    return block;
}

} // namespace

void startCountingAllocations() {
    allocations = 0;
    counting = true;
}

size_t stopCountingAllocations() {
    counting = false;
    return allocations;
}

extern "C" {

void* malloc(size_t size) noexcept {
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) noexcept {
    noteAllocation();
    return __libc_realloc(block, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size) noexcept {
    noteAllocation();
    *block = __libc_memalign(alignment, size);
    return *block ? 0 : 12; // ENOMEM
}

void free(void* block) noexcept { __libc_free(block); }

} // extern "C"

void* operator new(size_t size) { return allocateOrThrow(size); }
void* operator new[](size_t size) { return allocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow(size, alignment); }
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}

void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t) noexcept { __libc_free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free(block); }
