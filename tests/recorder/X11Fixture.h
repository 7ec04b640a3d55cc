#pragma once

// GoogleTest comes before the X headers, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "XDriver.h"

#include "recorder/x11/X11Backend.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tvk::testing {

// A test against the X server of DISPLAY: the test's own client and an X11 backend on it. Skips
// without a display, fails instead when TVK_REQUIRE_X is set.
class X11Fixture : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = displayForTests();
        if (!name) {
            if (std::getenv("TVK_REQUIRE_X")) FAIL() << "TVK_REQUIRE_X is set but DISPLAY is not";
            GTEST_SKIP() << "no DISPLAY";
        }
        driver = std::make_unique<XDriver>(name);
        ASSERT_TRUE(driver->ok()) << "cannot open " << name;
        std::string why;
        backend = createX11Backend(name, &why);
        ASSERT_TRUE(backend) << why;
    }

    // Waits until `done` holds, asking again every few milliseconds; false after ten seconds.
    static bool eventually(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    std::unique_ptr<XDriver> driver;
    std::shared_ptr<InputBackend> backend;
};

} // namespace tvk::testing
