// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/LocaleNumbers.h"

#include <gtest/gtest.h>

// The separators come from the locale the system knows; one it does not know keeps the C locale's.
TEST(LocaleNumbersTest, TheSeparatorsAreTheLocalesOwn)
{
    const struct
    {
        const char* locale;
        const char* decimal;
        const char* group;
    } rows[] = {
        {"de-DE", ",", "."},
        {"en-US", ".", ","},
        {"xx-unknown", ".", ","},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locale);
        const NumberFormat format = LocaleNumbers::of(row.locale);
        EXPECT_EQ(format.decimalSeparator, row.decimal);
        EXPECT_EQ(format.groupSeparator, row.group);
    }
    EXPECT_FALSE(LocaleNumbers::user().decimalSeparator.empty());
}
