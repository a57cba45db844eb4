#include "duration_labels.h"

#include <gtest/gtest.h>

namespace velunor {
namespace {

TEST(DurationLabels, SplitInterval) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "00 h, 00 min"},    {59, "00 h, 00 min"},     {60, "00 h, 01 min"},
      {5400, "01 h, 30 min"}, {172800, "48 h, 00 min"}, {360000, "100 h, 00 min"},
      {86399, "23 h, 59 min"}};
  for (const auto& [seconds, text] : cases)
    EXPECT_EQ(FormatSplitInterval(seconds), text) << seconds;
}

TEST(DurationLabels, SliceSuffix) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "_00d00h00m"},     {59, "_00d00h00m"},      {3600, "_00d01h00m"},
      {5430, "_00d01h30m"},  {86399, "_00d23h59m"},   {86400, "_01d00h00m"},
      {90061, "_01d01h01m"}, {8640000, "_100d00h00m"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatSliceSuffix(seconds), text) << seconds;
}

}  // namespace
}  // namespace velunor
