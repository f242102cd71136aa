// Test entry point: builds the engine's tables once before any test runs.
#include <gtest/gtest.h>

#include "position/tables.h"

int main(int argc, char** argv) {
  InitTables();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
