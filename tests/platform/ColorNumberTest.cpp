// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/ColorNumber.h"

#include <QPalette>
#include <gtest/gtest.h>

namespace {

TEST(ColorNumberText, ReadsHexadecimalDigitsAsASigned32BitNumber)
{
    EXPECT_EQ(ColorNumber::fromText("&H8000000F"), -2147483633);
    EXPECT_EQ(ColorNumber::fromText("&H00FFFFFF"), 16777215);
    EXPECT_EQ(ColorNumber::fromText("&h8000000f"), -2147483633);
    EXPECT_EQ(ColorNumber::fromText("&HFFFFFFFF"), -1);
    EXPECT_EQ(ColorNumber::fromText("&H0"), 0);
    EXPECT_EQ(ColorNumber::fromText("&HFF"), 255); // fewer than eight digits: still the plain number
    EXPECT_EQ(ColorNumber::fromText("&H0000aBcD"), 0xABCD);
}

TEST(ColorNumberText, RefusesEverythingElse)
{
    for (const char* text :
         {"", "0", "&", "&H", "H8000000F", "8000000F", "&H123456789", "&H8000000G", "&H 8000000F",
          "&H8000000F ", " &H8000000F", "&H-1", "&H+1", "#FFFFFF", "&O17", "&x10", "16777215"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ColorNumber::fromText(QString::fromLatin1(text)).has_value());
    }
    // Digits from other scripts are no hexadecimal digits.
    EXPECT_FALSE(ColorNumber::fromText(QStringLiteral("&H\uFF11\uFF12")).has_value());
}

class ColorNumberColor : public ::testing::Test
{
protected:
    ColorNumberColor()
    {
        // Every role a colour of its own, so a wrong role shows.
        palette.setColor(QPalette::Button, QColor(1, 2, 3));
        palette.setColor(QPalette::Window, QColor(4, 5, 6));
        palette.setColor(QPalette::Base, QColor(7, 8, 9));
        palette.setColor(QPalette::WindowText, QColor(10, 11, 12));
        palette.setColor(QPalette::Text, QColor(13, 14, 15));
        palette.setColor(QPalette::Highlight, QColor(16, 17, 18));
        palette.setColor(QPalette::ButtonText, QColor(19, 20, 21));
    }
    QPalette palette;
};

TEST_F(ColorNumberColor, PlainColoursAreBlueGreenRedFromTheHighByteDown)
{
    EXPECT_EQ(ColorNumber::toColor(0x00FFFFFF, palette), QColor(255, 255, 255));
    EXPECT_EQ(ColorNumber::toColor(0x000000FF, palette), QColor(255, 0, 0));
    EXPECT_EQ(ColorNumber::toColor(0x00FF0000, palette), QColor(0, 0, 255));
    EXPECT_EQ(ColorNumber::toColor(0x00123456, palette), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ColorNumber::toColor(0, palette), QColor(0, 0, 0));
}

TEST_F(ColorNumberColor, SystemColoursComeFromThePalette)
{
    EXPECT_EQ(ColorNumber::toColor(qint32(0x8000000F), palette), QColor(1, 2, 3)); // button face
    EXPECT_EQ(ColorNumber::toColor(qint32(0x80000005), palette), QColor(7, 8, 9)); // window background
    EXPECT_EQ(ColorNumber::toColor(qint32(0x80000008), palette), QColor(10, 11, 12));
    EXPECT_EQ(ColorNumber::toColor(qint32(0x8000000D), palette), QColor(16, 17, 18));
    EXPECT_EQ(ColorNumber::toColor(qint32(0x80000012), palette), QColor(19, 20, 21));
}

TEST_F(ColorNumberColor, NumbersTheToolkitWouldRefuseGiveNothing)
{
    EXPECT_FALSE(ColorNumber::toColor(qint32(0x80000063), palette)); // no such system colour
    EXPECT_FALSE(ColorNumber::toColor(qint32(0x8001000F), palette)); // index beyond the table
    EXPECT_FALSE(ColorNumber::toColor(qint32(0x8100000F), palette));
    EXPECT_FALSE(ColorNumber::toColor(0x01FFFFFF, palette)); // plain colour with a top byte
    EXPECT_FALSE(ColorNumber::toColor(-1, palette));
}

TEST_F(ColorNumberColor, TheTwoStoredTextsGiveWhiteAndTheDialogFace)
{
    EXPECT_EQ(ColorNumber::toColor(*ColorNumber::fromText("&H00FFFFFF"), palette), QColor(Qt::white));
    EXPECT_EQ(ColorNumber::toColor(*ColorNumber::fromText("&H8000000F"), palette),
              palette.color(QPalette::Button));
}

} // namespace
