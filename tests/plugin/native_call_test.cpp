#include "plugin/native_call.h"
#include "support/host_fixture.h"
#include "support/on_fibre.h"

#include <cstring>

namespace {

constexpr NativeHash Probe = 0x1234567890ABCDEF;

class NativeCallTest : public HostTest {};

TEST_F(NativeCallTest, ArgumentsAreZeroExtendedWordsInTheirOrder) {
    sim::defineNative(Probe, "probe", 5, [](const sim::NativeArgs&, sim::NativeResult&) {});
    const char* text = "LITERAL_STRING";
    runOnFibre(
        [&] { callNative(Probe, -1, 2.0f, 0xF84FA74Fu, text, GameString{0xFEDCBA9876543210}); });
    ASSERT_EQ(sim::host().calls.size(), 1u);
    const auto& call = sim::host().calls[0];
    EXPECT_EQ(call.hash, Probe);
    ASSERT_EQ(call.args.count, 5u);
    EXPECT_EQ(call.args.words[0], 0x00000000FFFFFFFFull);
    EXPECT_EQ(call.args.words[1], 0x0000000040000000ull);
    EXPECT_EQ(call.args.words[2], 0x00000000F84FA74Full);
    EXPECT_EQ(call.args.words[3], reinterpret_cast<std::uintptr_t>(text));
    EXPECT_EQ(call.args.words[4], 0xFEDCBA9876543210ull);
}

TEST_F(NativeCallTest, FloatAndBooleanEncodings) {
    sim::defineNative(Probe, "probe", 4, [](const sim::NativeArgs&, sim::NativeResult&) {});
    runOnFibre([] { callNative(Probe, 3.0f, true, false, -0.0f); });
    const auto& words = sim::host().calls.at(0).args.words;
    EXPECT_EQ(words[0], 0x0000000040400000ull);
    EXPECT_EQ(words[1], 1ull);
    EXPECT_EQ(words[2], 0ull);
    EXPECT_EQ(words[3], 0x0000000080000000ull);
}

TEST_F(NativeCallTest, NoArgumentNativeIsInitThenCall) {
    sim::defineNative(Probe, "probe", 0,
                      [](const sim::NativeArgs&, sim::NativeResult& r) { r.setI32(-7); });
    std::int32_t answer = 0;
    runOnFibre([&] { answer = callNative<std::int32_t>(Probe); });
    EXPECT_EQ(answer, -7);
    ASSERT_EQ(sim::host().calls.size(), 1u);
    EXPECT_EQ(sim::host().calls[0].args.count, 0u);
}

TEST_F(NativeCallTest, OutParameterSlotIsWrittenByTheNative) {
    sim::defineNative(Probe, "probe", 2, [](const sim::NativeArgs& a, sim::NativeResult&) {
        *a.slot<float>(1) = 12.5f;
    });
    float slot = 3.0f;
    runOnFibre([&] { callNative(Probe, 1, &slot); });
    EXPECT_EQ(slot, 12.5f);
}

TEST_F(NativeCallTest, ResultsDecodeByType) {
    sim::defineNative(Probe, "probe", 1, [](const sim::NativeArgs& a, sim::NativeResult& r) {
        switch (a.u32(0)) {
        case 0:
            r.setU64(0x0000000100000000ull);
            break; // only the high half set
        case 1:
            r.setF32(-1.5f);
            break;
        case 2:
            r.setU64(0xAABBCCDD11223344ull);
            break;
        }
    });
    bool highHalfOnly = true;
    float f = 0.0f;
    GameString s;
    runOnFibre([&] {
        highHalfOnly = callNative<bool>(Probe, 0);
        f = callNative<float>(Probe, 1);
        s = callNative<GameString>(Probe, 2);
    });
    // A boolean is the low 32 bits only.
    EXPECT_FALSE(highHalfOnly);
    EXPECT_EQ(f, -1.5f);
    EXPECT_EQ(s.value, 0xAABBCCDD11223344ull);
}

TEST_F(NativeCallTest, Vector3IsReadFromOffsetsZeroEightSixteenBeforeTheNextCall) {
    constexpr NativeHash Other = 0x42;
    sim::defineNative(Probe, "position", 0, [](const sim::NativeArgs&, sim::NativeResult& r) {
        r.setVector(1.0f, 2.0f, 3.0f);
        // Garbage in the unused halves must not leak into the floats.
        r.words[0] |= 0xDEADBEEF00000000ull;
        r.words[1] |= 0xDEADBEEF00000000ull;
    });
    sim::defineNative(Other, "other", 0, [](const sim::NativeArgs&, sim::NativeResult& r) {
        r.setVector(9.0f, 9.0f, 9.0f);
    });
    Vector3 v;
    runOnFibre([&] {
        v = callNative<Vector3>(Probe);
        callNative<Vector3>(Other); // reuses the host's result buffer
    });
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 3.0f);
}

TEST_F(NativeCallTest, UnknownNativeAndWrongArityAreHostErrors) {
    sim::defineNative(Probe, "probe", 2, [](const sim::NativeArgs&, sim::NativeResult&) {});
    runOnFibre([] {
        callNative(Probe, 1);
        callNative(0x99, 1);
    });
    ASSERT_EQ(sim::host().errors.size(), 2u);
    EXPECT_NE(sim::host().errors[0].find("takes 2 words, got 1"), std::string::npos);
    EXPECT_NE(sim::host().errors[1].find("unknown native 0x99"), std::string::npos);
    sim::host().errors.clear();
}

} // namespace
