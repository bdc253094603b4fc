#include "support/counting_allocator.h"

#include "sim/host.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> counted{0};
std::atomic<std::size_t> all{0};
std::atomic<std::size_t> allBytes{0};
std::atomic<bool> failNext{false};
std::atomic<std::size_t> failAt{0};

void* allocate(std::size_t size) {
    ++all;
    allBytes += size;
    if (sim::inPluginCode()) {
        const std::size_t number = ++counted;
        if (failNext.exchange(false) || number == failAt.load()) {
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
} // namespace

namespace alloc_count {
std::size_t pluginAllocations() {
    return counted.load();
}
std::size_t allAllocations() {
    return all.load();
}
std::size_t bytesAllocated() {
    return allBytes.load();
}
void reset() {
    counted = 0;
    failNext = false;
    failAt = 0;
}
void failNextPluginAllocation() {
    failNext = true;
}
void failPluginAllocationNumber(std::size_t number) {
    failAt = number;
}
} // namespace alloc_count

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
// The nothrow forms too (GoogleTest 1.15, Debian 13's, uses one): their
// blocks come back through the deletes below, which free what malloc gave.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size);
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
