#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "checked_counter.h"
#include "progress_gauge.h"
#include "run_time_error.h"

namespace velunor {
namespace {

// What the case folders cannot reach: negative numbers, the ends of the 32-bit range, the
// dialog's cancel, a log that grows while it is read.
TEST(NumberText, EndsOfTheRange) {
  EXPECT_EQ(NumberText(-5), "-5");
  EXPECT_EQ(ErrorText(RunTimeError(error_number::kCancel)), " 32755 - Abbrechen gewählt");
  const std::pair<double, std::int32_t> rounded[] = {{2.5, 2},
                                                     {3.5, 4},
                                                     {-2.5, -2},
                                                     {2.5001, 3},
                                                     {2147483647.0, INT32_MAX},
                                                     {-2147483648.0, INT32_MIN}};
  for (const auto& [value, expected] : rounded) EXPECT_EQ(RoundHalfEven(value), expected) << value;
  EXPECT_THROW(RoundHalfEven(2147483647.5), RunTimeError);
  EXPECT_THROW(RoundHalfEven(std::nan("")), RunTimeError);
  std::int32_t counter = INT32_MAX - 1;
  CheckedAdd(counter, 1);
  EXPECT_THROW(CheckedAdd(counter, 1), RunTimeError);
  EXPECT_EQ(counter, INT32_MAX);
}

TEST(NumberText, ProgressStaysWithinTheBar) {
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);  // the log grew while it was read
  EXPECT_EQ(ProgressPercent(10, 0), 100);
  // The gauge skips work between percent steps, yet gives every step at the exact byte.
  for (std::int64_t length : {1, 3, 199, 200, 201, 1000, 65537}) {
    ProgressGauge gauge(length);
    for (std::int64_t read = 0; read <= length + 2; ++read) {
      ASSERT_EQ(gauge.Percent(read), ProgressPercent(read, length)) << read << " of " << length;
    }
  }
}

}  // namespace
}  // namespace velunor
