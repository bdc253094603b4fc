// Counts every heap allocation of the test program (link counting_new.cpp).
#pragma once

#include <cstddef>

namespace counting_new {
std::size_t allocations();
// Bytes asked for by all allocations so far.
std::size_t bytesAllocated();
} // namespace counting_new
