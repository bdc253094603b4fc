#include "capture/counting_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> counted{0};
std::atomic<std::size_t> bytes{0};

void* allocate(std::size_t size) {
    ++counted;
    bytes += size;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace

namespace counting_new {
std::size_t allocations() {
    return counted.load();
}
std::size_t bytesAllocated() {
    return bytes.load();
}
} // namespace counting_new

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
