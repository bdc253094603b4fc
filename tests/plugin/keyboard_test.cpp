#include "plugin/keyboard_state.h"
#include "sim/plugin_loader.h"
#include "support/host_fixture.h"

#include <cstring>

namespace {

class KeyboardTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        std::memset(KeyboardState, 0, sizeof KeyboardState);
        sim::loadPlugin();
    }
};

TEST_F(KeyboardTest, MessageIsRecordedThroughTheRegisteredHandler) {
    sim::host().tickCount = 123456;
    sim::sendKeyboardMessage(254, 3, 0x1C, 1, 1, 0, 1);
    const KeyboardKeyRecord& entry = KeyboardState[254];
    EXPECT_EQ(entry.lastTick, 123456u);
    EXPECT_EQ(entry.altHeld, 1);
    EXPECT_EQ(entry.wasDown, 0);
    EXPECT_EQ(entry.released, 1);
}

TEST_F(KeyboardTest, KeyCodesOf255AndAboveChangeNothing) {
    sim::host().tickCount = 99;
    sim::sendKeyboardMessage(255, 1, 0, 0, 1, 1, 1);
    sim::sendKeyboardMessage(256, 1, 0, 0, 1, 1, 1);
    sim::sendKeyboardMessage(0xFFFFFFFFul, 1, 0, 0, 1, 1, 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(KeyboardState);
    for (std::size_t i = 0; i < sizeof KeyboardState; ++i) {
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

TEST_F(KeyboardTest, SecondMessageReplacesTheWholeEntryAndOthersStayZero) {
    sim::host().tickCount = 10;
    sim::sendKeyboardMessage(65, 1, 0, 0, 1, 1, 0);
    sim::host().tickCount = 20;
    sim::sendKeyboardMessage(65, 7, 9, 1, 0, 0, 1);
    EXPECT_EQ(KeyboardState[65].lastTick, 20u);
    EXPECT_EQ(KeyboardState[65].altHeld, 0);
    EXPECT_EQ(KeyboardState[65].wasDown, 0);
    EXPECT_EQ(KeyboardState[65].released, 1);
    EXPECT_EQ(KeyboardState[66].lastTick, 0u);
    EXPECT_EQ(KeyboardState[64].released, 0);
}

TEST_F(KeyboardTest, FlagsAreStoredUnchangedNotAsBooleans) {
    sim::sendKeyboardMessage(1, 1, 0, 0, 5, -1, 2);
    EXPECT_EQ(KeyboardState[1].altHeld, 5);
    EXPECT_EQ(KeyboardState[1].wasDown, -1);
    EXPECT_EQ(KeyboardState[1].released, 2);
}

} // namespace
