// SPDX-License-Identifier: GPL-3.0-or-later
#include "target/PanelText.h"

#include "platform/NumberFormat.h"
#include "support/OsPath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(PanelText, WindowTitle)
{
    EXPECT_EQ(PanelText::windowTitle(), "Tilgomatic 1.0");
}

struct AttributeCase
{
    int word;
    const char* text; // nullptr: not in the table
};

void PrintTo(const AttributeCase& c, std::ostream* os)
{
    *os << c.word;
}

class AttributeTable : public ::testing::TestWithParam<AttributeCase>
{
};

TEST_P(AttributeTable, ExactMatchOnly)
{
    const AttributeCase& c = GetParam();
    const std::optional<std::string> text = PanelText::attributeText(c.word);
    if (c.text == nullptr) {
        EXPECT_FALSE(text.has_value()) << c.word << ": " << *text;
    } else {
        ASSERT_TRUE(text.has_value()) << c.word;
        EXPECT_EQ(*text, c.text) << c.word;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AttributeTable,
    ::testing::Values(
        AttributeCase{0, "Normal"}, AttributeCase{1, "Schreibgeschützt"}, AttributeCase{2, "Versteckt"},
        AttributeCase{3, "Schreibgeschützt, Versteckt"}, AttributeCase{4, "System"},
        AttributeCase{5, "Schreibgeschützt, System"}, AttributeCase{6, "System, Versteckt"},
        AttributeCase{7, "Schreibgeschützt, System, Versteckt"}, AttributeCase{32, "Archiv"},
        AttributeCase{33, "Archiv, Schreibgeschützt"}, AttributeCase{34, "Archiv, Versteckt"},
        AttributeCase{35, "Archiv, Schreibgeschützt, Versteckt"}, AttributeCase{36, "Archiv, System"},
        AttributeCase{37, "Archiv, Schreibgeschützt, System"}, AttributeCase{38, "Archiv, System, Versteckt"},
        AttributeCase{39, "Archiv, Schreibgeschützt, System, Versteckt"}));

INSTANTIATE_TEST_SUITE_P(OutsideTheTable, AttributeTable,
                         ::testing::Values(AttributeCase{8, nullptr}, AttributeCase{16, nullptr},
                                           AttributeCase{17, nullptr}, AttributeCase{19, nullptr},
                                           AttributeCase{31, nullptr}, AttributeCase{40, nullptr},
                                           AttributeCase{48, nullptr}, AttributeCase{255, nullptr},
                                           AttributeCase{-1, nullptr}, AttributeCase{-32768, nullptr},
                                           AttributeCase{65536, nullptr}, AttributeCase{65536 + 32, nullptr},
                                           AttributeCase{INT_MIN, nullptr}));

struct SizeCase
{
    std::int64_t bytes;
    const char* german;
    const char* english;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.bytes << " bytes";
}

class SizeText : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(SizeText, TwoDecimalsHalfAwayNoGrouping)
{
    const SizeCase& c = GetParam();
    // The separators of a German and of a US locale.
    EXPECT_EQ(PanelText::sizeText(c.bytes, NumberFormat{",", "."}),
              std::string("Dateigrösse: ") + c.german + "\u00A0KB");
    EXPECT_EQ(PanelText::sizeText(c.bytes, NumberFormat{".", ","}),
              std::string("Dateigrösse: ") + c.english + "\u00A0KB");
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizeText,
    ::testing::Values(SizeCase{0, "0,00", "0.00"}, SizeCase{5, "0,00", "0.00"}, SizeCase{6, "0,01", "0.01"},
                      SizeCase{128, "0,13", "0.13"}, // exactly 0.125
                      SizeCase{1536, "1,50", "1.50"}, SizeCase{1048576, "1024,00", "1024.00"},
                      SizeCase{1023, "1,00", "1.00"}, // 0.999 carries into the whole KB
                      SizeCase{10240 + 51, "10,05", "10.05"},
                      SizeCase{2147483648LL + 128, "2097152,13", "2097152.13"}, // above 2 GiB, a half
                      SizeCase{5368709120LL, "5242880,00", "5242880.00"},
                      SizeCase{9223372036854775807LL, "9007199254740992,00", "9007199254740992.00"}));

struct PathCase
{
    const char* path;
    const char* name;
    const char* folder;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << '"' << c.path << '"';
}

class NameAndFolder : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(NameAndFolder, FromTheTextAlone)
{
    const PathCase& c = GetParam();
    EXPECT_EQ(PanelText::fileName(osText(c.path)), osText(c.name)) << c.path;
    EXPECT_EQ(PanelText::parentFolder(osText(c.path)), osText(c.folder)) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Paths, NameAndFolder,
                         ::testing::Values(PathCase{"/a/b/c.txt", "c.txt", "/a/b"},
                                           PathCase{"/c.txt", "c.txt", "/"}, PathCase{"", "", ""},
                                           PathCase{"/a/b/", "b", "/a"}, PathCase{"/a/b//", "b", "/a"},
                                           PathCase{"c.txt", "c.txt", ""}, PathCase{"a/b", "b", "a"},
                                           PathCase{"/a//b", "b", "/a"}, PathCase{"//a", "a", "/"},
                                           PathCase{"/", "", ""}, PathCase{"//", "", ""},
                                           PathCase{"/a/b/..", "..", "/a/b"},
                                           PathCase{"/no/such/missing file", "missing file", "/no/such"}));

} // namespace
