#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "checked_counter.h"
#include "log_name.h"
#include "progress_gauge.h"
#include "run_conversion.h"
#include "run_time_error.h"

namespace velunor {
namespace {

TEST(NumberText, SpaceBeforeZeroAndPositive) {
  EXPECT_EQ(NumberText(5), " 5");
  EXPECT_EQ(NumberText(0), " 0");
  EXPECT_EQ(NumberText(-5), "-5");
  EXPECT_EQ(NumberText(2147483647), " 2147483647");
}

TEST(NumberText, RoundsHalfToEven) {
  const std::pair<double, std::int32_t> cases[] = {{2.5, 2}, {3.5, 4},    {-2.5, -2}, {0.5, 0},
                                                   {1.5, 2}, {2.4999, 2}, {2.5001, 3}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
  EXPECT_THROW(RoundHalfEven(3e9), RunTimeError);
  EXPECT_THROW(RoundHalfEven(std::nan("")), RunTimeError);
}

TEST(NumberText, CountersOverflowOnlyPastTheirLimit) {
  std::int32_t counter = INT32_MAX - 1;
  CheckedAdd(counter, 1);
  EXPECT_EQ(counter, INT32_MAX);
  EXPECT_THROW(CheckedAdd(counter, 1), RunTimeError);
  EXPECT_EQ(counter, INT32_MAX);
}

TEST(NumberText, KilobytesAsTheDisplayShowsThem) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0},    {512, 0},  {1536, 2},
                                                         {2560, 2}, {3584, 4}, {123456, 121}};
  for (const auto& [bytes, kb] : cases) EXPECT_EQ(Kilobytes(bytes), kb) << bytes;
}

TEST(NumberText, SummaryAndErrorTexts) {
  EXPECT_EQ(SummaryText({123456, 150000, 3}),
            " 121 KB von 146 KB geschrieben, 3 Zeile(n) mit Fehler ausgelassen.");
  EXPECT_EQ(SummaryText({}), " 0 KB von 0 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.");
  EXPECT_EQ(ErrorText(RunTimeError(53)), " 53 - Datei nicht gefunden");
  EXPECT_EQ(ErrorText(RunTimeError(32755)), " 32755 - Abbrechen gewählt");
}

TEST(NumberText, ProgressStaysWithinTheBar) {
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(965, 1000), 96);  // 96.5 to the even neighbour
  EXPECT_EQ(ProgressPercent(975, 1000), 98);
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);  // the log grew while it was read
  EXPECT_EQ(ProgressPercent(10, 0), 100);
}

TEST(NumberText, GaugeAgreesWithTheFormulaAtEveryByte) {
  for (std::int64_t length : {1, 3, 199, 200, 201, 1000, 65537}) {
    ProgressGauge gauge(length);
    for (std::int64_t read = 0; read <= length + 2; ++read) {
      ASSERT_EQ(gauge.Percent(read), ProgressPercent(read, length)) << read << " of " << length;
    }
  }
}

TEST(LogName, AcceptsOnlyDataLogs) {
  const std::pair<const char*, bool> cases[] = {
      {"/d/x_DAT.LOG", true},  {"/d/xyzDAT.LOG", true},     {"/d/x_dat.log", false},
      {"/d/x_DAT.Log", false}, {"*_DAT.LOG", false},        {"/d/DAT.LOG", false},
      {"DAT.LOG", false},      {"/d/x_DAT.LOG.bak", false}, {"", false}};
  for (const auto& [name, accepted] : cases) EXPECT_EQ(IsAcceptedLogName(name), accepted) << name;
  EXPECT_EQ(OutputBaseOf("/d/x_DAT.LOG"), "/d/x");
  EXPECT_EQ(OutputBaseOf("/d/xyzDAT.LOG"), "/d/xy");
}

}  // namespace
}  // namespace velunor
