#pragma once

#include "NimbrookFixture.h"
#include "SwayServer.h"

namespace nimbrook::e2e {

// Comes before the fixture, which starts programs on it.
struct SwayDesktop {
    SwayServer sway_;
};

// The fixture on a headless sway instead of an X server.
class SwayFixture : protected SwayDesktop, public NimbrookFixture {
protected:
    SwayFixture() : NimbrookFixture(sway_.desktop()) {}

    void SetUp() override {
        ASSERT_FALSE(sway_.socket().empty()) << sway_.log();
        NimbrookFixture::SetUp();
    }
};

}  // namespace nimbrook::e2e
