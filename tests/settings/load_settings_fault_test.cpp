// loadSettings when memory runs out part way, on the script fibre as in the
// game: no exception leaves it and every value in force stays, with a real
// settings file present that a load without the fault takes in full.
#include "settings/settings.h"

#include "scratch_folder.h"
#include "support/counting_allocator.h"
#include "support/on_fibre.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// A settings file that changes every value, with a comment, another section
// and a repeated key, so that reading it allocates at every step.
constexpr std::string_view NewValuesFile = "; settings\n"
                                           "[Other]\n"
                                           "HoldTime=1\n"
                                           "[Pallbrook]\n"
                                           "HoldTime=9\n"
                                           "DragInput=INPUT_DUCK\n"
                                           "DragText=Pull the body along\n"
                                           "DropText=Let go\n"
                                           "HoldTime=250\n"
                                           "PickupAnimDuration=1500\n"
                                           "PutdownAnimDuration=400\n"
                                           "DetectionRadius=3.5\n"
                                           "SnapDistFeet=0.75\n"
                                           "SnapDistHead=1.25\n";

SettingsRecord newValues() {
    SettingsRecord record;
    record.DragInput = 0xDB096B85;
    record.DragText = "Pull the body along";
    record.DropText = "Let go";
    record.HoldTime = 250;
    record.PickupAnimDuration = 1500;
    record.PutdownAnimDuration = 400;
    record.DetectionRadius = 3.5f;
    record.SnapDistFeet = 0.75f;
    record.SnapDistHead = 1.25f;
    return record;
}

// Values in force from an earlier load, none of them a default or a new value.
SettingsRecord valuesInForce(std::string dragText, std::string dropText) {
    SettingsRecord record;
    record.DragInput = 12;
    record.DragText = std::move(dragText);
    record.DropText = std::move(dropText);
    record.HoldTime = -5;
    record.PickupAnimDuration = 0;
    record.PutdownAnimDuration = 2000;
    record.DetectionRadius = -1.0f;
    record.SnapDistFeet = 0.5f;
    record.SnapDistHead = 2.0f;
    return record;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void expectSettings(const SettingsRecord& expected) {
    EXPECT_EQ(Settings.DragInput, expected.DragInput);
    EXPECT_EQ(Settings.DragText, expected.DragText);
    EXPECT_EQ(Settings.DropText, expected.DropText);
    EXPECT_EQ(Settings.HoldTime, expected.HoldTime);
    EXPECT_EQ(Settings.PickupAnimDuration, expected.PickupAnimDuration);
    EXPECT_EQ(Settings.PutdownAnimDuration, expected.PutdownAnimDuration);
    EXPECT_EQ(bitsOf(Settings.DetectionRadius), bitsOf(expected.DetectionRadius));
    EXPECT_EQ(bitsOf(Settings.SnapDistFeet), bitsOf(expected.SnapDistFeet));
    EXPECT_EQ(bitsOf(Settings.SnapDistHead), bitsOf(expected.SnapDistHead));
}

class LoadSettingsOutOfMemory : public ::testing::Test {
  protected:
    void SetUp() override { alloc_count::reset(); }
    void TearDown() override {
        alloc_count::reset();
        Settings = SettingsRecord{};
    }

    // Runs loadSettings on the script fibre with the first allocation it makes
    // failing; an exception that left it would end the program, as it is
    // noexcept. Returns how many allocations it attempted.
    static std::size_t loadWithFailingAllocation() {
        std::size_t attempted = 0;
        runOnFibre([&] {
            alloc_count::reset();
            alloc_count::failNextPluginAllocation();
            loadSettings();
            attempted = alloc_count::pluginAllocations();
            alloc_count::reset();
        });
        return attempted;
    }

    static void loadOnFibre() {
        runOnFibre([] { loadSettings(); });
    }

    ScratchFolder folder_;
};

// Labels too long for the string's inline buffer make copying the values in
// force the first allocation; short labels make reading the file the first.
TEST_F(LoadSettingsOutOfMemory, FailureWhileTakingTheValuesInForceOrReadingTheFileKeepsThemAll) {
    writeBytes("Pallbrook.ini", NewValuesFile);
    for (const SettingsRecord& inForce :
         {valuesInForce("Grab hold of the body", "Put the body down"), valuesInForce("G", "")}) {
        SCOPED_TRACE("labels in force: \"" + inForce.DragText + "\"");
        Settings = inForce;
        EXPECT_GE(loadWithFailingAllocation(), 1u) << "no allocation failed inside loadSettings";
        expectSettings(inForce);

        // Without the fault the same file gives every new value.
        loadOnFibre();
        expectSettings(newValues());
    }
}

// Each allocation of a whole load failing in turn, from the first to the last:
// wherever memory runs out (copying the values in force, reading the file,
// splitting and classifying its lines, building the document, converting and
// storing the values), every value in force stays.
TEST_F(LoadSettingsOutOfMemory, EveryFailedAllocationKeepsEveryValueInForce) {
    writeBytes("Pallbrook.ini", NewValuesFile);
    const SettingsRecord inForce = valuesInForce("Grab hold of the body", "Leave the body lying");
    const auto loadFailing = [](std::size_t number) {
        std::size_t attempted = 0;
        runOnFibre([&] {
            alloc_count::reset();
            alloc_count::failPluginAllocationNumber(number);
            loadSettings();
            attempted = alloc_count::pluginAllocations();
            alloc_count::reset();
        });
        return attempted;
    };

    Settings = inForce;
    const std::size_t total = loadFailing(0);
    expectSettings(newValues());
    // Copies, file buffer, lines, sections, keys and values: far more than a
    // handful of allocations, or the sweep would prove little.
    ASSERT_GE(total, 20u);
    for (std::size_t number = 1; number <= total; ++number) {
        SCOPED_TRACE("allocation " + std::to_string(number) + " of " + std::to_string(total));
        Settings = inForce;
        ASSERT_GE(loadFailing(number), number) << "the allocation was never made";
        expectSettings(inForce);
        if (HasFailure()) {
            return;
        }
    }
}

// A file that fits the string's inline buffer is read without allocating, so
// the failure comes while its lines are split and classified.
TEST_F(LoadSettingsOutOfMemory, FailureWhileParsingKeepsEveryValue) {
    writeBytes("Pallbrook.ini", "[Pallbrook]\nA=1");
    const SettingsRecord inForce = valuesInForce("G", "D");
    Settings = inForce;
    EXPECT_GE(loadWithFailingAllocation(), 1u) << "no allocation failed inside loadSettings";
    expectSettings(inForce);
}

} // namespace
