// SPDX-License-Identifier: GPL-3.0-or-later
// The core's value rules that both windows and the engine share: the room a sparse file's holes need, the
// stored colour numbers and the path texts.
#include "platform/ColorText.h"
#include "platform/FileSystem.h"
#include "platform/NativeText.h"
#include "support/OsPath.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(PlatformValues, HolesNeedTheirBlocksTheRecordsAndSixteenMore)
{
    const struct
    {
        std::int64_t holes, block, perRecord, free, needed;
        OpenStatus status;
    } rows[] = {
        {0, 4096, 340, 1 << 20, 16 * 4096, OpenStatus::Opened},
        {1, 4096, 340, 17 * 4096, 17 * 4096, OpenStatus::Opened}, // exactly enough
        {1, 4096, 340, 17 * 4096 - 1, 17 * 4096, OpenStatus::NoSpace},
        {10 * 4096, 4096, 5, 100000, (10 + 2 + 16) * 4096, OpenStatus::NoSpace},
        {4097, 512, 2, 1 << 20, (9 + 4 + 16) * 512, OpenStatus::Opened},
    };
    for (const auto& row : rows) {
        const RunOutlook outlook = RunOutlook::forHoles(row.holes, row.block, row.perRecord, row.free);
        EXPECT_EQ(outlook.spaceNeeded, row.needed) << row.holes;
        EXPECT_EQ(outlook.spaceFree, row.free);
        EXPECT_EQ(outlook.status, row.status) << row.holes;
    }
}

TEST(PlatformValues, ColourNumbersAndWhatTheyStandFor)
{
    const std::pair<const char*, std::optional<std::int32_t>> numbers[] = {
        {"&H8000000F", std::int32_t(0x8000000F)},
        {"&h0", 0},
        {"&HFFFFFFFF", -1},
        {"&H00FFFFFF", 0xFFFFFF},
        {"&H", std::nullopt},
        {"H0F", std::nullopt},
        {"&H123456789", std::nullopt},
        {"&H-1", std::nullopt},
        {" &H1", std::nullopt},
        {"&HG", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(ColorText::number(text), number) << text;

    const auto system = ColorText::color(std::int32_t(0x8000000F));
    ASSERT_TRUE(system);
    EXPECT_TRUE(system->system);
    EXPECT_EQ(system->index, 15U);
    const auto red = ColorText::color(0x0000FF);
    ASSERT_TRUE(red);
    EXPECT_FALSE(red->system);
    EXPECT_EQ(std::tuple(red->red, red->green, red->blue), std::tuple(255, 0, 0));
    EXPECT_FALSE(ColorText::color(0x01000000));
    EXPECT_FALSE(ColorText::color(std::int32_t(0x8100000F)));
}

TEST(PlatformValues, PathTexts)
{
    const std::pair<std::string, std::string> parents[] = {
        {"/a/b", "/a"}, {"/a/b//", "/a"}, {"/a", "/"}, {"b", ""}};
    for (const auto& [path, parent] : parents)
        EXPECT_EQ(NativeText::parentFolder(osText(path)), osText(parent)) << path;
    EXPECT_EQ(NativeText::withoutTrailingSeparators(osText("/a/b//")), osText("/a/b"));
    EXPECT_EQ(NativeText::joined(osText("/a"), "b"), osText("/a/b"));
    EXPECT_EQ(NativeText::joined(osText("/"), "b"), osText("/b"));
    EXPECT_TRUE(NativeText::isAbsolute(osText("/a")));
    EXPECT_FALSE(NativeText::isAbsolute("a/b"));
    EXPECT_EQ(NativeText::lastSeparator(osText("/a/b")), osText("/a/b").size() - 2);
    EXPECT_EQ(NativeText::fromUtf16(NativeText::toUtf16("Käse \xF0\x9F\x98\x80")), "Käse \xF0\x9F\x98\x80");
}

} // namespace
