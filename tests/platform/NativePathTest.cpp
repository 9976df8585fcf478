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
    // What cannot be seen is shown, so that a look-alike never passes for the chosen file.
    EXPECT_EQ(NativePath::displayText(NativePath::fromNative("\xef\xbb\xbfv\xe2\x80\xae\xe4")),
              "\\uFEFFv\\u202E\\xE4");
}
