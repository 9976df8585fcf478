// SPDX-License-Identifier: GPL-3.0-or-later
// The characters a name shows escaped are those the Unicode Character Database of the build names, on
// every platform.

#include "platform/PathDisplay.h"
#include "platform/NativeText.h"

#include <gtest/gtest.h>

TEST(PathDisplay, InvisibleCharactersOfTheUnicodeDatabaseAreEscaped)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"a\xf0\x93\x90\xb9.txt", "a\\U00013439.txt"},                  // Egyptian insert at middle (15.0)
        {"\xf0\x93\x90\xbf\xf0\x93\x90\xb0", "\\U0001343F\\U00013430"}, // the last of 15.0, one of 12.0
        {"\xf0\x93\x90\xaf", "\xf0\x93\x90\xaf"},                       // U+1342F, a hieroglyph: drawn
        {"a\xe2\x81\xa5\xef\xbf\xb0", "a\\u2065\\uFFF0"},               // reserved default-ignorables
        {"\xf3\xa0\xbf\xbf\xf3\xa1\x80\x80", "\\U000E0FFF\xf3\xa1\x80\x80"}, // their end: E0FFF, not E1000
        {"\x1f \x7f\xc2\xa0\xc2\xad", "\\u001F \\u007F\xc2\xa0\\u00AD"}, // controls; no-break space drawn
        {"\xe2\x80\xa8\xe2\x80\xaf\xf3\xa0\x81\x81", "\\u2028\xe2\x80\xaf\\U000E0041"}, // U+202F drawn
    };
    // clang-format on
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(PathDisplay::displayText(bytes), shown) << shown;
    EXPECT_EQ(PathDisplay::displayText("a\\b"), NativeText::WindowsPaths ? "a\\b" : "a\\\\b");
}
