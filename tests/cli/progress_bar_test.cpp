// The terminal progress line of reelwright-cli.
#include <gtest/gtest.h>

#include "cli/progress_bar.h"

TEST(ProgressBar, LineShowsPercentCountsAndTimes) {
    EXPECT_EQ(FormatProgressLine(0, 4, 0.0),
              "[                    ]   0%  0/4  elapsed 0:00  left --:--");
    EXPECT_EQ(FormatProgressLine(1, 4, 2.0),
              "[#####               ]  25%  1/4  elapsed 0:02  left 0:06");
    // The percent is truncated, not rounded: two thirds read 66.
    EXPECT_EQ(FormatProgressLine(2, 3, 4.0),
              "[#############       ]  66%  2/3  elapsed 0:04  left 0:02");
    EXPECT_EQ(FormatProgressLine(3, 3, 75.0),
              "[####################] 100%  3/3  elapsed 1:15  left 0:00");
}

TEST(ProgressBar, DurationsGrowHoursPastAnHour) {
    EXPECT_EQ(FormatDuration(59.4), "0:59");
    EXPECT_EQ(FormatDuration(3599.6), "1:00:00");
    EXPECT_EQ(FormatDuration(-3.0), "0:00");
}
