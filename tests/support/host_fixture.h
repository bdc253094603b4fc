// A test that runs the plugin in the stand-in host: a fresh host before each
// test, and any fault the host saw (an unknown native, a wrong number of
// argument words, a call off the script fibre) fails the test.
#pragma once

#include "sim/host.h"

#include <gtest/gtest.h>

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::resetHost(); }
    void TearDown() override {
        for (const auto& error : sim::host().errors) {
            ADD_FAILURE() << "host: " << error;
        }
    }
};
