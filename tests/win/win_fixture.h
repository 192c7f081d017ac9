#pragma once

#include <gtest/gtest.h>

#include "emulator/win/win_control.h"

// Every test starts from an empty, writable registry in the default (US English) locale.
class WinTest : public ::testing::Test {
protected:
    void SetUp() override {
        vrk::win::resetRegistry();
        vrk::win::setRegistryWrites(vrk::win::RegistryWrites::allowed);
        vrk::win::setSystemLcid(1033);
        vrk::win::clearShellExecuteObserver();
    }
    void TearDown() override {
        vrk::win::setRegistryWrites(vrk::win::RegistryWrites::allowed);
        vrk::win::clearSystemLcid();
        vrk::win::clearShellExecuteObserver();
    }
};
