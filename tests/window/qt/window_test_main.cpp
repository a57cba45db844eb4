#include <gtest/gtest.h>

#include "program_start.h"

// The window tests run on the offscreen platform unless another one is named.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const auto application = velunor::StartApplication();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
