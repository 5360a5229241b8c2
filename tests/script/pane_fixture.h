// Installs fresh in-memory command and log panes for each test and removes them after, so
// no test sees another's text or the script globals it left behind.
#pragma once

#include <gtest/gtest.h>

#include "pane.h"
#include "script_form.h"

class PaneFixture : public testing::Test {
  protected:
    void SetUp() override {
        g_pCmdPane = &cmdPane;
        g_pLogPane = &logPane;
        g_szScript.clear();
        g_bApplying = false;
    }
    void TearDown() override {
        g_pCmdPane = nullptr;
        g_pLogPane = nullptr;
    }

    MemoryPane cmdPane;
    MemoryPane logPane;
};
