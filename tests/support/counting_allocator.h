// Counts the heap allocations that plugin code makes on the script fibre
// (what the stand-in host allocates for itself is not counted), and can make
// the next plugin allocation fail, to test that failures are absorbed.
// Link tests/support/counting_allocator.cpp into the test program to use it.
#pragma once

#include <cstddef>

namespace alloc_count {

std::size_t pluginAllocations();
// Every allocation of the program, wherever it is made, and the bytes asked
// for, since it started.
std::size_t allAllocations();
std::size_t bytesAllocated();
void reset();
// The next allocation made by plugin code throws std::bad_alloc.
void failNextPluginAllocation();
// The plugin allocation with this number, counted from 1 since the last
// reset, throws std::bad_alloc (0: none).
void failPluginAllocationNumber(std::size_t number);

} // namespace alloc_count
