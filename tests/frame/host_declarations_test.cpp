// The host's declarations carry the host's own numbers, where the public reference confirms them.
#include <gtest/gtest.h>

#include "frame/host/arx.h"

TEST(HostDeclarationsTest, ErrorStatusNumbersAreTheHosts) {
    const struct {
        Acad::ErrorStatus es;
        int number;
    } cases[] = {
        {Acad::eOk, 0},
        {Acad::eAmbiguousInput, 4},
        {Acad::eBufferTooSmall, 7},
        {Acad::eBrokenHandle, 12},
        {Acad::eContainerNotEmpty, 18},
        {Acad::eAlreadyInDb, 26},
        {Acad::eAnonymousEntry, 38},
        {Acad::eBadDxfSequence, 52},
        {Acad::eFilerError, 53},
        {Acad::eAtMaxReaders, 90},
        {Acad::eCreateFailed, 337},
    };
    for (const auto& c : cases) EXPECT_EQ(static_cast<int>(c.es), c.number) << c.number;
}
