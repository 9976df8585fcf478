// SPDX-License-Identifier: GPL-3.0-or-later
// Every byte string a Linux name can hold goes to the program's text and back unchanged.

#include "platform/NativePath.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The bytes that bytes come back as, in hexadecimal, through the program's text.
QByteArray roundTrip(const QByteArray& bytes)
{
    bool ok = false;
    const QByteArray back = NativePath::toNative(NativePath::fromNative(bytes), &ok);
    return ok ? back.toHex(' ') : QByteArray("no bytes");
}

} // namespace

TEST(NativePathRoundTrip, KnownHardCasesAndRandomBytes)
{
    // clang-format off
    const QByteArray hard[] = {
        "\xef\xbb\xbfvictim.txt", "a\xef\xbb\xbf", "\xef\xbf\xbe\xef\xbf\xbf", "\xef\xb7\x90",  // BOM, nonchars
        "\xf4\x8f\xbf\xbf", "\xf0\x9f\x98\x80", "\xed\xa0\x80\xed\xb0\x80", "\xed\xbf\xbf",     // surrogates
        "\xc0\xaf", "\xe0\x80\xaf", "\xf0\x80\x80\xaf", "\xc1\xbf", "\xf4\x90\x80\x80",        // overlong, too big
        "\x80", "\xbf\x80x", "K\xe4se", "\xe2\x82", "\xe2\x82\xac\xe2\x82", "\xc3\xa4\xe4\xc3",   // stray, cut
        "\xef\xbf\xbd", "\xed\xb2\x80\xe4",                                                    // U+FFFD, escape
    };
    // clang-format on
    for (const QByteArray& bytes : hard)
        EXPECT_EQ(roundTrip(bytes), bytes.toHex(' '));

    // Mostly bytes that start or continue multi-byte sequences, where the decoder has choices to make.
    std::mt19937 generator(20261207);
    const char pieces[] = {'\x80', '\xbf', '\xc0', '\xc3', '\xe0', '\xed',
                           '\xef', '\xf0', '\xf4', '\xff', 'a'};
    for (int round = 0; round < 200000; ++round) {
        QByteArray bytes;
        for (int i = int(generator() % 12); i >= 0; --i)
            bytes.append(generator() % 2 ? pieces[generator() % sizeof pieces] : char(1 + generator() % 255));
        ASSERT_EQ(roundTrip(bytes), bytes.toHex(' '));
    }
}

// What cannot be seen is shown, so that a look-alike never passes for the chosen file; what can be seen
// is left as it is.
TEST(NativePathDisplay, WhatDrawsNothingIsSpelledOut)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"\xef\xbb\xbfv\xe2\x80\xae\xe4", "\\uFEFFv\\u202E\\xE4"},  // BOM, reversal, stray byte
        {"a\xe2\x80\x8b.txt", "a\\u200B.txt"},                             // zero width space
        {"a\xf3\xa0\x81\x81.txt", "a\\U000E0041.txt"},                    // tag letter A
        {"a\xf3\xa0\x84\x80.txt", "a\\U000E0100.txt"},                    // variation selector 17
        {"a\xcd\x8f.txt", "a\\u034F.txt"},                                  // grapheme joiner
        {"a\xef\xb8\x8f.txt", "a\\uFE0F.txt"},                             // variation selector 16
        {"\xe1\x85\x9f\xe3\x85\xa4\xef\xbe\xa0" "a", "\\u115F\\u3164\\uFFA0a"}, // Hangul fillers
        {"a\xe1\xa0\x8b\xe1\xa0\x8e", "a\\u180B\\u180E"},               // Mongolian selector, separator
        {"\xc2\xad\xf0\x9d\x85\xb3", "\\u00AD\\U0001D173"},             // soft hyphen, music format
        {"line\nbreak\r\t.txt", "line\\u000Abreak\\u000D\\u0009.txt"},     // controls
        {"a\x7f\xc2\x85\xc2\x9f", "a\\u007F\\u0085\\u009F"},           // DEL, C1 controls
        {"a\xe2\x80\xa8" "b\xe2\x80\xa9" "c", "a\\u2028b\\u2029c"},           // line, paragraph separator
        {"a\\u200B.txt", "a\\\\u200B.txt"},                                 // a backslash of the name
        {"K\xc3\xa4se \xf0\x9f\x98\x80.txt", "K\xc3\xa4se \xf0\x9f\x98\x80.txt"}, // seen: unchanged
        {"\xe4\xb8\xad\xd7\x90\xc2\xa0", "\xe4\xb8\xad\xd7\x90\xc2\xa0"},       // CJK, Hebrew, no-break space
    };
    // clang-format on
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(NativePath::displayText(NativePath::fromNative(bytes)), QString::fromUtf8(shown)) << shown;
}

// A blank that ends a name draws nothing either, and plain Windows paths drop it: "t.txt " is not "t.txt".
TEST(NativePathDisplay, BlanksThatEndANameAreSpelledOut)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/d/t.txt  ", "/d/t.txt\\u0020\\u0020"}, {"/a b /c d", "/a b\\u0020/c d"}, {"/a.", "/a."}};
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(NativePath::displayText(NativePath::fromNative(bytes)), QString::fromUtf8(shown)) << shown;
}
