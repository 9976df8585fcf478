// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/CompactPath.h"

#include "platform/gui/FontWidth.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct WidthCase
{
    double twips;
    double twipsPerPixel;
    int pixels;
};

void PrintTo(const WidthCase& c, std::ostream* os)
{
    *os << c.twips << " / " << c.twipsPerPixel;
}

class PixelWidth : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(PixelWidth, RoundsHalfToEven)
{
    const WidthCase& c = GetParam();
    EXPECT_EQ(modCompactPath::pixelWidth(c.twips, c.twipsPerPixel), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelWidth,
                         ::testing::Values(WidthCase{4575, 15, 305}, WidthCase{4575, 12, 381},
                                           WidthCase{6862.5, 15, 458},                 // 457.5
                                           WidthCase{6847.5, 15, 456},                 // 456.5
                                           WidthCase{5490, 12, 458},                   // 457.5
                                           WidthCase{5478, 12, 456},                   // 456.5
                                           WidthCase{4567.5, 15, 304},                 // 304.5
                                           WidthCase{4582.5, 15, 306},                 // 305.5
                                           WidthCase{4583, 15, 306},                   // 305.53
                                           WidthCase{0, 15, 0}, WidthCase{4575, 0, 0}, // no scale
                                           WidthCase{1e12, 15, 2147483647}));

class Compacting : public ::testing::Test
{
protected:
    Compacting()
        : metrics(QFont("DejaVu Sans", 8))
        , font(metrics)
    {}

    int width(const QString& text) const { return metrics.horizontalAdvance(text); }
    QString compact(const QString& path, int pixels) const
    {
        return QString::fromStdString(modCompactPath::compactToPixels(font, path.toStdString(), pixels));
    }

    QFontMetrics metrics;
    FontWidth font;
    const QString path = "/home/anna/Dokumente/Projekte/2026/Steuer";
};

TEST_F(Compacting, FittingPathComesBackUnchanged)
{
    EXPECT_EQ(compact(path, width(path)), path);
    EXPECT_EQ(compact(path, 10000), path);
    EXPECT_EQ(compact("", 0), "");
    EXPECT_EQ(compact("/", width("/")), "/");
}

TEST_F(Compacting, KeepsTheNearestFolders)
{
    EXPECT_EQ(compact(path, width(".../2026/Steuer")), ".../2026/Steuer");
    EXPECT_EQ(compact(path, width(".../Steuer")), ".../Steuer");

    // The first folder stays in front when it fits and the next nearer folder would not.
    const QString deep = "/home/anna/Ein-sehr-langer-Ordnername-fuer-Projekte/2026/Steuer";
    EXPECT_EQ(compact(deep, width("/home/.../2026/Steuer")), "/home/.../2026/Steuer");
}

TEST_F(Compacting, EveryWidthFitsAndKeepsMoreAsItGrows)
{
    qsizetype keptBefore = 0;
    for (int pixels = width("..."); pixels < width(path); ++pixels) {
        const QString result = compact(path, pixels);
        ASSERT_LE(width(result), pixels) << result.toStdString();
        ASSERT_TRUE(result.contains("...")) << result.toStdString();
        ASSERT_NE(result, path);
        if (pixels >= width(".../Steuer")) {
            ASSERT_TRUE(result.endsWith("/Steuer")) << result.toStdString();
            const qsizetype kept = result.size() - result.indexOf("...") - 3;
            ASSERT_GE(kept, keptBefore) << result.toStdString();
            keptBefore = kept;
        }
    }
}

TEST_F(Compacting, CutsALastNameThatDoesNotFit)
{
    const QString name(300, u'x');
    const QString result = compact("/home/anna/" + name, 100);
    EXPECT_LE(width(result), 100);
    EXPECT_TRUE(result.startsWith("xx")) << result.toStdString();
    EXPECT_TRUE(result.endsWith("...")) << result.toStdString();
}

TEST_F(Compacting, SingleHugeName)
{
    const QString name(5000, u'W');
    for (const int pixels : {width("..."), 50, 305, 2000}) {
        const QString result = compact(name, pixels);
        EXPECT_LE(width(result), pixels);
        EXPECT_TRUE(result.endsWith("...")) << result.toStdString();
    }
}

TEST_F(Compacting, NeverSplitsACharacter)
{
    QString name;
    for (int i = 0; i < 60; ++i)
        name += QString::fromUtf8("\xF0\x9F\x98\x80") + QString::fromUtf8("e\xCC\x81"); // emoji, e + accent
    for (int pixels = width("..."); pixels < 200; pixels += 7) {
        const QString result = compact("/home/" + name, pixels);
        EXPECT_TRUE(result.isValidUtf16()) << pixels;
        const QString kept = result.left(result.size() - 3);
        EXPECT_FALSE(kept.endsWith(u'e')) << pixels; // an accent is never parted from its letter
    }
}

TEST_F(Compacting, DegenerateWidthsStillFit)
{
    const QString huge = "/" + QString(4000, u'a') + "/" + QString(4000, u'b');
    for (const QString& text : {QString(), QString("/"), path, huge}) {
        for (const int pixels : {-5, 0, 1, width("."), width(".."), width("...")}) {
            const QString result = compact(text, pixels);
            EXPECT_LE(width(result), std::max(pixels, 0)) << text.size() << " at " << pixels;
            if (!text.isEmpty() && width(text) > pixels) {
                EXPECT_TRUE(QString("...").startsWith(result)) << result.toStdString();
            }
        }
    }
}

TEST_F(Compacting, CompactPathMeasuresTheControlInPixels)
{
    const QString result =
        QString::fromStdString(modCompactPath::CompactPath(font, path.toStdString(), 1500, 15)); // 100 pixels
    EXPECT_LE(width(result), 100);
    EXPECT_EQ(result, compact(path, 100));
}

} // namespace
