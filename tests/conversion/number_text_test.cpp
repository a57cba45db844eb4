#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "progress_gauge.h"
#include "run_time_error.h"

namespace velunor {
namespace {

TEST(NumberText, RoundsHalfToEvenWithinThe32BitRange) {
  const std::pair<double, std::int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.5001, 3}, {2147483647.0, INT32_MAX}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
  EXPECT_THROW(RoundHalfEven(2147483647.5), RunTimeError);
  EXPECT_THROW(RoundHalfEven(std::nan("")), RunTimeError);
}

// The gauge skips work between percent steps, yet gives every step at its exact byte; a log that
// grew while it was read stays at 100.
TEST(NumberText, ProgressGauge) {
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);
  EXPECT_EQ(ProgressPercent(10, 0), 100);
  for (std::int64_t length : {1, 3, 199, 200, 201, 1000, 65537}) {
    ProgressGauge gauge(length);
    for (std::int64_t read = 0; read <= length + 2; ++read) {
      ASSERT_EQ(gauge.Percent(read), ProgressPercent(read, length)) << read << " of " << length;
    }
  }
}

}  // namespace
}  // namespace velunor
