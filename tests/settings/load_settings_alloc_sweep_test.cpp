// loadSettings with each of its allocations failing in turn, from the first to
// the last: wherever memory runs out (copying the values in force, reading the
// file, splitting and classifying its lines, building the document, converting
// and storing the values), no exception leaves and every value in force stays.
// This program replaces operator new to fail the chosen allocation.
#include "settings/settings.h"

#include "scratch_folder.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <gtest/gtest.h>

namespace {

// Armed only around the call of loadSettings; counts the allocations made
// meanwhile and fails the one numbered failAt (0: none).
bool armed = false;
std::size_t seen = 0;
std::size_t failAt = 0;

void* allocate(std::size_t size) {
    if (armed) {
        ++seen;
        if (seen == failAt) {
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

// Runs loadSettings with allocation number `number` failing; returns how many
// allocations it attempted.
std::size_t loadFailingAllocation(std::size_t number) {
    seen = 0;
    failAt = number;
    armed = true;
    loadSettings();
    armed = false;
    return seen;
}

// Labels long enough to live on the heap, so that every string is allocated.
constexpr std::string_view NewValuesFile = "; settings\r\n"
                                           "[Other]\r\n"
                                           "HoldTime=1\r\n"
                                           "[Pallbrook]\r\n"
                                           "DragInput=INPUT_DUCK\r\n"
                                           "DropInput=0x1234\r\n"
                                           "DragText=Pull the body along\r\n"
                                           "DropText=Put the body down\r\n"
                                           "HoldTime=250\r\n"
                                           "PickupAnimDuration=1500\r\n"
                                           "PutdownAnimDuration=400\r\n"
                                           "DetectionRadius=3.5\r\n"
                                           "SnapDistFeet=0.75\r\n"
                                           "SnapDistHead=1.25\r\n"
                                           "HoldTime=275\r\n";

SettingsRecord newValues() {
    SettingsRecord record;
    record.DragInput = 0xDB096B85;
    record.DragText = "Pull the body along";
    record.DropText = "Put the body down";
    record.HoldTime = 275;
    record.PickupAnimDuration = 1500;
    record.PutdownAnimDuration = 400;
    record.DetectionRadius = 3.5f;
    record.SnapDistFeet = 0.75f;
    record.SnapDistHead = 1.25f;
    return record;
}

SettingsRecord valuesInForce() {
    SettingsRecord record;
    record.DragInput = 12;
    record.DragText = "Grab hold of the body";
    record.DropText = "Leave the body lying";
    record.HoldTime = -5;
    record.PickupAnimDuration = 0;
    record.PutdownAnimDuration = 2000;
    record.DetectionRadius = -1.0f;
    record.SnapDistFeet = 0.5f;
    record.SnapDistHead = 2.0f;
    return record;
}

bool sameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameSettings(const SettingsRecord& a, const SettingsRecord& b) {
    return a.DragInput == b.DragInput && a.DragText == b.DragText && a.DropText == b.DropText &&
           a.HoldTime == b.HoldTime && a.PickupAnimDuration == b.PickupAnimDuration &&
           a.PutdownAnimDuration == b.PutdownAnimDuration &&
           sameFloat(a.DetectionRadius, b.DetectionRadius) &&
           sameFloat(a.SnapDistFeet, b.SnapDistFeet) && sameFloat(a.SnapDistHead, b.SnapDistHead);
}

TEST(LoadSettingsAllocationSweep, EveryFailedAllocationKeepsEveryValueInForce) {
    ScratchFolder folder;
    writeBytes("Pallbrook.ini", NewValuesFile);

    // Without a failure the file gives every new value.
    Settings = valuesInForce();
    const std::size_t total = loadFailingAllocation(0);
    ASSERT_TRUE(sameSettings(Settings, newValues()));
    // Copies, file buffer, lines, sections, keys and values: far more than a
    // handful of allocations, or the sweep below would prove little.
    ASSERT_GE(total, 20u);

    for (std::size_t number = 1; number <= total; ++number) {
        Settings = valuesInForce();
        const std::size_t attempted = loadFailingAllocation(number);
        ASSERT_GE(attempted, number) << "allocation " << number << " was never made";
        ASSERT_TRUE(sameSettings(Settings, valuesInForce()))
            << "a failure of allocation " << number << " of " << total
            << " changed the values in force";
    }
    Settings = SettingsRecord{};
}

} // namespace

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
