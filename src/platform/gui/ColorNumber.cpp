// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/ColorNumber.h"

#include "platform/ColorText.h"

#include <QPalette>

namespace {

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

// The text's parsing and the number's meaning are the core's (ColorText); only the palette is Qt's.
std::optional<qint32> fromText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return ColorText::number(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

std::optional<QColor> toColor(qint32 number, const QPalette& palette)
{
    const auto color = ColorText::color(number);
    if (!color)
        return std::nullopt;
    if (color->system)
        return systemColor(color->index, palette);
    return QColor(color->red, color->green, color->blue);
}

} // namespace ColorNumber
