// The lossless crossing between path bytes and strings.

#include "platform/NativePath.h"

#include <gtest/gtest.h>

namespace {

struct BytesCase
{
    const char* name;
    QByteArray bytes;
    QString shown; // displayText of the decoded string
};

void PrintTo(const BytesCase& c, std::ostream* os)
{
    *os << c.name;
}

class NativeBytes : public ::testing::TestWithParam<BytesCase>
{
};

TEST_P(NativeBytes, SurviveTheRoundTripAndShowEveryByte)
{
    const BytesCase& c = GetParam();
    const QString decoded = NativePath::fromNative(c.bytes);
    bool ok = false;
    EXPECT_EQ(NativePath::toNative(decoded, &ok), c.bytes);
    EXPECT_TRUE(ok);
    EXPECT_EQ(NativePath::displayText(decoded), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NativeBytes,
    ::testing::Values(BytesCase{"ascii", "/tmp/a b.txt", "/tmp/a b.txt"},
                      BytesCase{"utf8", "/tmp/K\xc3\xa4se \xf0\x9f\x92\x80", u"/tmp/Käse 💀"_qs},
                      BytesCase{"latin1", "/tmp/K\xe4se.txt", "/tmp/K\\xE4se.txt"},
                      BytesCase{"replacementCharacterItself", "caf\xef\xbf\xbd", u"caf\uFFFD"_qs},
                      BytesCase{"overlongSlash", "a\xc0\xaf", "a\\xC0\\xAF"},
                      BytesCase{"encodedSurrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80"},
                      BytesCase{"cutSequence", "x\xe2\x82", "x\\xE2\\x82"},
                      BytesCase{"aboveUnicode", "\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
                      BytesCase{"newlineAndQuotes", "a\n\"$b'\\", "a\n\"$b'\\"}));

TEST(NativePath, StrayHalfOfAPairStandsForNoByte)
{
    bool ok = true;
    NativePath::toNative(QString(QChar(0xD800)) + QStringLiteral("x"), &ok);
    EXPECT_FALSE(ok);
    NativePath::toNative(QString(QChar(0xDC41)), &ok); // ASCII is never escaped
    EXPECT_FALSE(ok);
}

TEST(NativePath, KernelLimits)
{
    using NativePath::Limit;
    EXPECT_EQ(NativePath::limitExceeded("/" + QString(255, u'n')), Limit::None);
    EXPECT_EQ(NativePath::limitExceeded("/" + QString(256, u'n')), Limit::NameTooLong);
    // 128 two-byte letters are 256 bytes: the limit counts bytes, not letters.
    EXPECT_EQ(NativePath::limitExceeded("/" + QString(128, u'ä')), Limit::NameTooLong);
    QString deep;
    while (deep.size() < 4094)
        deep += "/" + QString(100, u'd');
    EXPECT_EQ(NativePath::limitExceeded(deep.left(4095)), Limit::None);
    EXPECT_EQ(NativePath::limitExceeded(deep.left(4096)), Limit::PathTooLong);
}

} // namespace
