// The host's declarations (arx/) carry the host's own numbers, as its published enumeration lists them.
#include <gtest/gtest.h>

#include "arx/arx.h"
#include "emulator/rx/error_status.h"

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
        {Acad::eKeyNotFound, 22},
        {Acad::eDuplicateKey, 23},
        {Acad::eAlreadyInDb, 26},
        {Acad::eInvalidKey, 33},
        {Acad::eWrongObjectType, 34},
        {Acad::eAnonymousEntry, 38},
        {Acad::eNotOpenForWrite, 45},
        {Acad::eNotThatKindOfClass, 46},
        {Acad::eBadDxfSequence, 52},
        {Acad::eFilerError, 53},
        {Acad::eDxfReadAborted, 63},
        {Acad::eFileAccessErr, 72},
        {Acad::eFileNotFound, 76},
        {Acad::eWasOpenForWrite, 83},
        {Acad::eOnLockedLayer, 87},
        {Acad::eAtMaxReaders, 90},
        {Acad::eNotInDatabase, 137},
        {Acad::eCreateFailed, 337},
        {Acad::eFileSharingViolation, 433},
    };
    for (const auto& c : cases) EXPECT_EQ(static_cast<int>(c.es), c.number) << c.number;
}

// Messages give a status by name beside its number.
TEST(HostDeclarationsTest, ErrorStatusesAreNamedAsTheHostSpellsThem) {
    EXPECT_EQ(vrk::emu::describeErrorStatus(Acad::eFileNotFound), "eFileNotFound (76)");
    EXPECT_EQ(vrk::emu::describeErrorStatus(Acad::eWasOpenForWrite), "eWasOpenForWrite (83)");
    EXPECT_EQ(vrk::emu::describeErrorStatus(Acad::ErrorStatus(19)), "19");
}
