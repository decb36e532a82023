#include "app/integer_field.h"

#include <gtest/gtest.h>

TEST(IntegerFieldTest, AcceptsSignedNumbersBetweenBlanksAndTabs) {
    EXPECT_EQ(ParseIntegerField("280"), 280);
    EXPECT_EQ(ParseIntegerField("  \t-42 \t"), -42);
    EXPECT_EQ(ParseIntegerField("+7"), 7);
    EXPECT_EQ(ParseIntegerField("0"), 0);
    EXPECT_EQ(ParseIntegerField("  000"), 0);
    EXPECT_EQ(ParseIntegerField("2147483647"), 2147483647);
    EXPECT_EQ(ParseIntegerField("-2147483648"), INT32_MIN);
}

TEST(IntegerFieldTest, RefusesEverythingElse) {
    EXPECT_EQ(ParseIntegerField(""), std::nullopt);
    EXPECT_EQ(ParseIntegerField("   "), std::nullopt);
    EXPECT_EQ(ParseIntegerField("abc"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("12px"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("1 2"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("1.5"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("-"), std::nullopt);
    // Zero counts only when its first non-blank character is the digit 0.
    EXPECT_EQ(ParseIntegerField("-0"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("+0"), std::nullopt);
    // Beyond 32 bits.
    EXPECT_EQ(ParseIntegerField("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIntegerField("99999999999999999999"), std::nullopt);
}

TEST(IntegerFieldTest, ReadsOnlyTheFirst31Characters) {
    // 30 blanks and "5": the whole number is read.
    EXPECT_EQ(ParseIntegerField(std::string(30, ' ') + "5"), 5);
    // 31 blanks push the number past what is read: empty text.
    EXPECT_EQ(ParseIntegerField(std::string(31, ' ') + "5"), std::nullopt);
    // Junk past the 31st character is never seen.
    EXPECT_EQ(ParseIntegerField("12" + std::string(29, ' ') + "junk"), 12);
}
