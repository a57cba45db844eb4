#include <gtest/gtest.h>

#include <cmath>

#include "checked_counter.h"
#include "duration_labels.h"
#include "number_text.h"
#include "progress_gauge.h"
#include "run_time_error.h"

namespace velunor {
namespace {

// Halves rounded to even are the summaries' cases; here the ends of the 32-bit range.
TEST(NumberText, RoundsWithinThe32BitRange) {
  EXPECT_EQ(RoundHalfEven(2147483647.0), INT32_MAX);
  EXPECT_EQ(RoundHalfEven(-2147483648.0), INT32_MIN);
  EXPECT_THROW(RoundHalfEven(2147483647.5), RunTimeError);
  EXPECT_THROW(RoundHalfEven(std::nan("")), RunTimeError);
  std::int32_t counter = INT32_MAX - 1;  // a log of 2^31 - 1 bytes is still read
  CheckedAdd(counter, 1);
  EXPECT_THROW(CheckedAdd(counter, 1), RunTimeError);
}

// The gauge skips work between percent steps, yet gives every step at its exact byte; a log that
// grew while it was read (a pipe has no length at all) stays at 100.
TEST(NumberText, ProgressGauge) {
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);
  EXPECT_EQ(ProgressPercent(0, 0), 100);
  for (std::int64_t length : {1, 3, 199, 200, 201, 1000, 65537}) {
    ProgressGauge gauge(length);
    for (std::int64_t read = 0; read <= length + 2; ++read) {
      ASSERT_EQ(gauge.Percent(read), ProgressPercent(read, length)) << read << " of " << length;
    }
  }
}

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
