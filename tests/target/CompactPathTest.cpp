// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/CompactPath.h"

#include "platform/TextWidth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// A proportional font: narrow dots and slashes, wide W, a combining accent draws on its letter, an emoji
// is one wide character of four bytes.
class FakeFont : public TextWidth
{
public:
    int width(std::string_view utf8) const override
    {
        int pixels = 0;
        for (std::size_t i = 0; i < utf8.size(); i += length(utf8, i))
            pixels += advance(utf8.substr(i, length(utf8, i)));
        return pixels;
    }
    // Not asked for by the compacting, which cuts at the grapheme boundaries itself.
    std::string elideMiddle(std::string_view utf8, int) const override { return std::string(utf8); }
    std::vector<std::size_t> graphemeBoundaries(std::string_view utf8) const override
    {
        std::vector<std::size_t> boundaries;
        for (std::size_t i = length(utf8, 0); i < utf8.size(); i += length(utf8, i))
            if (utf8.substr(i, 2) != "\xCC\x81")
                boundaries.push_back(i);
        return boundaries;
    }

private:
    // The byte count of the UTF-8 sequence that starts at i.
    static std::size_t length(std::string_view utf8, std::size_t i)
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }
    static int advance(std::string_view character)
    {
        if (character == "." || character == "/")
            return 3;
        if (character == "W")
            return 11;
        if (character == "\xCC\x81")
            return 0;
        return character.size() == 4 ? 12 : 6;
    }
};

// Whether text is whole UTF-8: every sequence complete.
bool wholeUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t count = lead >= 0xF0   ? 4
                                  : lead >= 0xE0 ? 3
                                  : lead >= 0xC0 ? 2
                                  : lead >= 0x80 ? 0
                                                 : 1;
        if (count == 0 || i + count > text.size())
            return false;
        for (std::size_t k = 1; k < count; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += count;
    }
    return true;
}

bool contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

class Compacting : public ::testing::Test
{
protected:
    int width(const std::string& text) const { return font.width(text); }
    std::string compact(const std::string& path, int pixels) const
    {
        return modCompactPath::compactToPixels(font, path, pixels);
    }

    FakeFont font;
    const std::string path = "/home/anna/Dokumente/Projekte/2026/Steuer";
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
    const std::string deep = "/home/anna/Ein-sehr-langer-Ordnername-fuer-Projekte/2026/Steuer";
    EXPECT_EQ(compact(deep, width("/home/.../2026/Steuer")), "/home/.../2026/Steuer");
}

TEST_F(Compacting, EveryWidthFitsAndKeepsMoreAsItGrows)
{
    std::size_t keptBefore = 0;
    for (int pixels = width("..."); pixels < width(path); ++pixels) {
        const std::string result = compact(path, pixels);
        ASSERT_LE(width(result), pixels) << result;
        ASSERT_TRUE(contains(result, "...")) << result;
        ASSERT_NE(result, path);
        if (pixels >= width(".../Steuer")) {
            ASSERT_TRUE(result.ends_with("/Steuer")) << result;
            const std::size_t kept = result.size() - result.find("...") - 3;
            ASSERT_GE(kept, keptBefore) << result;
            keptBefore = kept;
        }
    }
}

TEST_F(Compacting, CutsALastNameThatDoesNotFit)
{
    const std::string name(300, 'x');
    const std::string result = compact("/home/anna/" + name, 100);
    EXPECT_LE(width(result), 100);
    EXPECT_TRUE(result.starts_with("xx")) << result;
    EXPECT_TRUE(result.ends_with("...")) << result;
}

TEST_F(Compacting, SingleHugeName)
{
    const std::string name(5000, 'W');
    for (const int pixels : {width("..."), 50, 305, 2000}) {
        const std::string result = compact(name, pixels);
        EXPECT_LE(width(result), pixels);
        EXPECT_TRUE(result.ends_with("...")) << result;
    }
}

TEST_F(Compacting, NeverSplitsACharacter)
{
    std::string name;
    for (int i = 0; i < 60; ++i)
        name += "\xF0\x9F\x98\x80"
                "e\xCC\x81"; // emoji, e + accent
    for (int pixels = width("..."); pixels < 200; pixels += 7) {
        const std::string result = compact("/home/" + name, pixels);
        EXPECT_TRUE(wholeUtf8(result)) << pixels;
        const std::string kept = result.substr(0, result.size() - 3);
        EXPECT_FALSE(kept.ends_with('e')) << pixels; // an accent is never parted from its letter
    }
}

TEST_F(Compacting, DegenerateWidthsStillFit)
{
    const std::string huge = "/" + std::string(4000, 'a') + "/" + std::string(4000, 'b');
    for (const std::string& text : {std::string(), std::string("/"), path, huge}) {
        for (const int pixels : {-5, 0, 1, width("."), width(".."), width("...")}) {
            const std::string result = compact(text, pixels);
            EXPECT_LE(width(result), std::max(pixels, 0)) << text.size() << " at " << pixels;
            if (!text.empty() && width(text) > pixels) {
                EXPECT_TRUE(std::string_view("...").starts_with(result)) << result;
            }
        }
    }
}

TEST_F(Compacting, CompactPathMeasuresTheControlInPixels)
{
    const std::string result = modCompactPath::CompactPath(font, path, 1500, 15); // 100 pixels
    EXPECT_LE(width(result), 100);
    EXPECT_EQ(result, compact(path, 100));
}

} // namespace
