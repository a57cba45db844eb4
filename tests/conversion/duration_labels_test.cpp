#include "duration_labels.h"

#include <gtest/gtest.h>

namespace velunor {
namespace {

// The window's interval label, and slice names past what a small log reaches.
TEST(DurationLabels, SplitIntervalAndSliceSuffix) {
  const std::pair<std::int32_t, const char*> intervals[] = {
      {0, "00 h, 00 min"},    {59, "00 h, 00 min"},     {60, "00 h, 01 min"},
      {5400, "01 h, 30 min"}, {172800, "48 h, 00 min"}, {360000, "100 h, 00 min"}};
  for (const auto& [seconds, text] : intervals) EXPECT_EQ(FormatSplitInterval(seconds), text);
  const std::pair<std::int32_t, const char*> suffixes[] = {
      {59, "_00d00h00m"},    {3600, "_00d01h00m"},  {5430, "_00d01h30m"},    {86399, "_00d23h59m"},
      {86400, "_01d00h00m"}, {90061, "_01d01h01m"}, {8640000, "_100d00h00m"}};
  for (const auto& [seconds, text] : suffixes) EXPECT_EQ(FormatSliceSuffix(seconds), text);
}

}  // namespace
}  // namespace velunor
