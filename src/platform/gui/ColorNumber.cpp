// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/ColorNumber.h"

#include <QPalette>

namespace {

constexpr quint32 SystemColorFlag = 0x80000000u;

// The value of one hexadecimal digit (either case), or -1 for any other character.
int hexDigit(QChar character)
{
    const char16_t c = character.unicode();
    if (c >= u'0' && c <= u'9')
        return int(c - u'0');
    if (c >= u'a' && c <= u'f')
        return int(c - u'a' + 10);
    if (c >= u'A' && c <= u'F')
        return int(c - u'A' + 10);
    return -1;
}

// Palette entries for the system colour indices that have a counterpart in Qt, paired the way Qt's own
// Windows theme fills its palette from those colours. Returns nothing for any other index.
std::optional<QColor> systemColor(quint32 index, const QPalette& palette)
{
    switch (index) {
    case 5: // window background (the face of text fields and lists)
        return palette.color(QPalette::Base);
    case 8: // window text
        return palette.color(QPalette::WindowText);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlighted text
        return palette.color(QPalette::HighlightedText);
    case 15: // button and dialog face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey (disabled) text
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 21: // dark 3-D shadow
        return palette.color(QPalette::Shadow);
    case 22: // 3-D light
        return palette.color(QPalette::Midlight);
    case 23: // tool tip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tool tip background
        return palette.color(QPalette::ToolTipBase);
    case 26: // hot-tracked item (links)
        return palette.color(QPalette::Link);
    default:
        return std::nullopt;
    }
}

} // namespace

namespace ColorNumber {

// "&H" or "&h" and one to eight hexadecimal digits; the digits are those of the 32-bit number, so
// "&H8000000F" is 0x8000000F, negative as a signed number. Anything else (no prefix, no digits, more
// than eight digits, blanks, a sign) returns nullopt.
std::optional<qint32> fromText(const QString& text)
{
    if (text.size() < 3 || text.size() > 10 || text.at(0) != QLatin1Char('&') ||
        (text.at(1) != QLatin1Char('H') && text.at(1) != QLatin1Char('h')))
        return std::nullopt;
    quint32 number = 0;
    for (qsizetype i = 2; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            return std::nullopt;
        number = number << 4 | quint32(digit);
    }
    return qint32(number);
}

// A plain colour 0x00BBGGRR as that colour; with the top bit set, the system colour whose index is the
// rest of the number, taken from palette. nullopt for a number the toolkit would refuse: a plain colour
// with bits in its top byte, or an unknown system colour index.
std::optional<QColor> toColor(qint32 number, const QPalette& palette)
{
    const quint32 bits = quint32(number);
    if (bits & SystemColorFlag) {
        if ((bits & 0x7F000000u) != 0)
            return std::nullopt;
        return systemColor(bits & 0x00FFFFFFu, palette);
    }
    if ((bits & 0xFF000000u) != 0)
        return std::nullopt;
    return QColor(int(bits & 0xFF), int(bits >> 8 & 0xFF), int(bits >> 16 & 0xFF));
}

} // namespace ColorNumber
