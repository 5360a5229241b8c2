// A fresh session over in-memory command and log panes for each test, so no test sees another's
// text or the script it left behind.
#pragma once

#include <gtest/gtest.h>

#include "pane.h"
#include "session.h"

class PaneFixture : public testing::Test {
  protected:
    MemoryPane cmdPane;
    MemoryPane logPane;
    Session session{&cmdPane, &logPane};
};
